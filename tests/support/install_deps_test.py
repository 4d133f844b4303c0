#!/usr/bin/python3
"""tools/install-deps over canned apt-get answers: which calls it makes, what it says, how it
ends. apt-get, dpkg, dpkg-query, locale and sudo are small stand-ins first on PATH; apt-get
logs its arguments and gives the next canned answer."""
import os
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCRIPT = os.path.join(SOURCE, "tools", "install-deps")

FAKES = {
    "apt-get": """#!/bin/sh
echo "$*" >> "$FAKE_DIR/calls"
n=$(( $(cat "$FAKE_DIR/count" 2>/dev/null || echo 0) + 1 )); echo $n > "$FAKE_DIR/count"
[ -f "$FAKE_DIR/answer$n" ] || { echo "E: no canned answer $n"; exit 99; }
tail -n +2 "$FAKE_DIR/answer$n"; exit $(head -n 1 "$FAKE_DIR/answer$n")
""",
    "dpkg-query": '#!/bin/sh\n[ "$FAKE_INSTALLED" = 1 ] && echo "install ok installed" || exit 1\n',
    "dpkg": "#!/bin/sh\necho i386\n",
    "locale": "#!/bin/sh\nprintf '%s\\n' en_US.utf8 fr_FR.utf8 fr_CA.utf8 de_DE.utf8\n",
    "sudo": '#!/bin/sh\nexec "$@"\n',
}

GOT = "Get:1 http://deb.example/debian bookworm InRelease [151 kB]\n"
INDEX_FAILED = GOT + ("E: Failed to fetch http://deb.example/debian-security/dists/bookworm-security/"
                      "main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004).\n"
                      "E: Some index files failed to download.\n")
NO_REGISTRY = ("Err:1 http://deb.example/debian bookworm InRelease\n  Could not resolve 'deb.example'\n"
               "W: Failed to fetch http://deb.example/debian/dists/bookworm/InRelease  Could not resolve\n")
UNMET = ("The following packages have unmet dependencies:\n"
         " wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4)\n"
         "E: Unable to correct problems, you have held broken packages.\n")
DOWNLOAD_FAILED = "E: Failed to fetch http://deb.example/pool/main/w/wine/wine_8.0.deb  Connection failed\n"


def release():
    with open("/etc/os-release") as f:
        fields = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
    return fields.get("VERSION_CODENAME", "").strip('"')


# name: (packages installed, apt-get answers as (exit code, output), exit code,
#        the calls as (verb, whether the release is preferred), what it says).
CASES = {
    "AllInstalledIsQuiet": (True, [], 0, [], []),
    "FailedIndexIsAWarning": (False, [(100, INDEX_FAILED)] * 3 + [(0, "")], 0,
                              [("update", False)] * 3 + [("install", False)],
                              ["warning", "binary-i386/Packages.xz"]),
    "UnresolvableTriesTheRelease": (False, [(0, GOT), (100, UNMET), (0, "")], 0,
                                    [("update", False), ("install", False), ("install", True)],
                                    ["suite preferred"]),
    "UnresolvableEvenThenNamesPackages": (False, [(0, GOT), (100, UNMET), (100, UNMET)], 1,
                                          [("update", False), ("install", False), ("install", True)],
                                          ["could not install: cmake", "wine32:i386 : Depends",
                                           "try: apt-get install -o APT::Default-Release="]),
    "NoRegistryFailsClearly": (False, [(100, NO_REGISTRY)] * 3, 1, [("update", False)] * 3,
                               ["no package index could be read", "Could not resolve"]),
    "FailedDownloadIsTriedAgain": (False, [(0, GOT), (100, DOWNLOAD_FAILED), (0, "")], 0,
                                   [("update", False), ("install", False), ("install", False)], []),
    "DownloadsFailingThriceFail": (False, [(0, GOT)] + [(100, DOWNLOAD_FAILED)] * 3, 1,
                                   [("update", False)] + [("install", False)] * 3,
                                   ["could not install", "Connection failed"]),
}


class InstallDeps(unittest.TestCase):
    def test_cases(self):
        for name, (installed, answers, code, calls, says) in CASES.items():
            with self.subTest(name), tempfile.TemporaryDirectory() as fake:
                for tool, text in FAKES.items():
                    path = os.path.join(fake, tool)
                    with open(path, "w") as f:
                        f.write(text)
                    os.chmod(path, 0o755)
                for n, (status, output) in enumerate(answers, 1):
                    with open(os.path.join(fake, f"answer{n}"), "w") as f:
                        f.write(f"{status}\n{output}")
                env = dict(os.environ, PATH=fake + ":" + os.environ["PATH"], FAKE_DIR=fake,
                           FAKE_INSTALLED="1" if installed else "0", INSTALL_DEPS_PAUSE="0")
                run = subprocess.run(["bash", SCRIPT], env=env, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, text=True, timeout=60)
                made = []
                if os.path.exists(os.path.join(fake, "calls")):
                    with open(os.path.join(fake, "calls")) as f:
                        made = [(("install" if " install " in f" {line} " else "update"),
                                 f"APT::Default-Release={release()}" in line) for line in f]
                self.assertEqual(run.returncode, code, run.stderr)
                self.assertEqual(made, calls, run.stderr)
                for text in says:
                    self.assertIn(text, run.stderr)
                if installed:
                    self.assertEqual(run.stdout + run.stderr, "")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
