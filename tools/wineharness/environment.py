"""The environment the helpers start every program in, decided once per process.

decide() works it out from an environment and, for a tool run outside ctest, the build
folder it was given; settle() does so once for this process, from os.environ, which stays
as it was. Everything else reads settled(), so that no helper's answer depends on which
helper ran first.
"""
import collections
import os

from . import machine

WINE_ENV = {
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "mscoree=;mshtml=;winemenubuilder.exe=d",
}
SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# environ: what every program is started with. wine64_bin: the folder of a `wine` that
# starts the 64-bit loader, first on its PATH where the tests run the 64-bit build.
Settings = collections.namedtuple(
    "Settings", "build_dir source_dir arch mode template wine64_bin environ")


def _short_build(build):
    """The short link a build's configuration made for it when the checkout lies deep
    (named in wine-build-dir.txt), so that the paths Wine's programs see stay within
    MAX_PATH; else the build folder itself."""
    try:
        with open(os.path.join(build, "wine-build-dir.txt")) as named:
            seen = named.read().strip()
    except OSError:
        return build
    return seen if seen and os.path.realpath(seen) == os.path.realpath(build) else build


def decide(environ, build=None):
    """The settings for a process started with environ; build, when given, is the build
    folder in place of ORTK_BUILD_DIR. Starts nothing but the loaders, where environ does
    not already say which of them run."""
    if build is not None:
        build = _short_build(build)
    else:
        build = environ.get("ORTK_BUILD_DIR") or os.path.join(os.getcwd(), "build", "win32")
    arch = machine.wine_arch(environ)
    mode = machine.wine_mode(arch, environ)
    own = "wine-template-wow64" if mode == "wow64" else "wine-template"
    template = environ.get("ORTK_WINE_TEMPLATE") or os.path.join(build, own)
    env = dict(environ, **WINE_ENV)
    # Where Wine has both loaders, a new prefix is a 64-bit one unless asked otherwise:
    # 32-bit Windows for the plain mode, 64-bit Windows (WOW64) for the others.
    env.update(WINEARCH="win32" if mode == "win32" else "win64", ORTK_BUILD_DIR=build,
               ORTK_SOURCE_DIR=environ.get("ORTK_SOURCE_DIR") or SOURCE_DIR,
               ORTK_WINE_ARCH=arch, ORTK_WINE_MODE=mode, ORTK_WINE_TEMPLATE=template)
    wine64_bin = None
    if arch == "win64":
        wine64_bin = os.path.join(os.path.dirname(os.path.abspath(template)), "wine64-bin")
        if env.get("PATH", "").split(os.pathsep)[0] != wine64_bin:
            env["PATH"] = wine64_bin + os.pathsep + env.get("PATH", "")
    return Settings(build, env["ORTK_SOURCE_DIR"], arch, mode, template, wine64_bin, env)


_settled = None


def settle(build=None):
    """Decides this process's settings from os.environ, once: an entry point given a build
    folder calls it first; otherwise the first helper that needs them does."""
    global _settled
    settings = decide(os.environ, build)
    if _settled is not None and _settled != settings:
        raise RuntimeError("the Wine environment was settled before this build was named")
    _settled = settings
    return settings


def settled():
    return _settled or settle()


def wine_arch():
    return settled().arch


def wine_mode():
    return settled().mode


def build_dir():
    return settled().build_dir


def source_dir():
    return settled().source_dir


def template_dir():
    return settled().template


def use_build(build):
    """Points the helpers at a build folder, for a tool run outside ctest. Returns the folder
    as Wine's programs see it."""
    return settle(build).build_dir
