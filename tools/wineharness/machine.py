"""What this machine runs: which of Wine's loaders work here, and so which build the tests
run and as which Windows."""
import subprocess

WINE32_LOADER = "/usr/lib/wine/wine"
WINE64_LOADER = "/usr/lib/wine/wine64"


def _loader_runs(loader):
    try:
        return subprocess.run([loader, "--version"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=30).returncode == 0
    except (OSError, subprocess.TimeoutExpired):
        return False


def can_run_32bit():
    """Whether this kernel runs 32-bit x86 programs (some kernels are built without it)."""
    return _loader_runs(WINE32_LOADER)


def can_run_wow64():
    """Whether Wine runs 32-bit programs in a 64-bit prefix here, as 64-bit Windows does
    under WOW64: both loaders must run."""
    return can_run_32bit() and _loader_runs(WINE64_LOADER)


def wine_arch(environ):
    """'win32' where Wine runs the 32-bit product, else 'win64': the tests then run the
    64-bit build of the same sources under Wine's 64-bit loader. ORTK_WINE_ARCH, once
    known, spares the programs a helper starts asking the loaders again."""
    arch = environ.get("ORTK_WINE_ARCH")
    if arch in ("win32", "win64"):
        return arch
    return "win32" if can_run_32bit() else "win64"


def wine_mode(arch, environ):
    """The machine a test runs the build on: 'win32', the 32-bit product on 32-bit Windows
    (a 32-bit prefix, nothing redirected); 'wow64', the 32-bit product on 64-bit Windows (a
    64-bit prefix: its registry view is WOW6432Node, its system folder SysWOW64); 'win64',
    the 64-bit build, where the kernel runs no 32-bit programs. ORTK_WINE_MODE=wow64 asks
    for the second."""
    if arch == "win64":
        return "win64"
    return "wow64" if environ.get("ORTK_WINE_MODE") == "wow64" else "win32"
