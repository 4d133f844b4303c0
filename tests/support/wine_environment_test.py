#!/usr/bin/python3
"""The environment the Wine helpers settle on, from canned environments (no loader asked:
ORTK_WINE_ARCH is given): the template a mode uses, WINEARCH, the 64-bit `wine` on PATH, and
that a helper started with the settled environment settles on the same."""
import os
import sys
import tempfile
import unittest

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(SOURCE, "tools"))
from wineharness import environment  # noqa: E402

# name: (environment, build folder named by the tool or None, mode, template, WINEARCH,
#        whether the 64-bit wine comes first on PATH). {b} is the build folder.
CASES = {
    "Plain": ({"ORTK_WINE_ARCH": "win32"}, None, "win32", "{b}/wine-template", "win32", False),
    "Wow64OwnTemplate": ({"ORTK_WINE_ARCH": "win32", "ORTK_WINE_MODE": "wow64"}, None,
                         "wow64", "{b}/wine-template-wow64", "win64", False),
    "NamedBuildWow64OwnTemplate": ({"ORTK_WINE_ARCH": "win32", "ORTK_WINE_MODE": "wow64",
                                    "ORTK_BUILD_DIR": "/elsewhere"}, "{b}", "wow64",
                                   "{b}/wine-template-wow64", "win64", False),
    "GivenTemplateKept": ({"ORTK_WINE_ARCH": "win32", "ORTK_WINE_TEMPLATE": "{b}/t"}, "{b}",
                          "win32", "{b}/t", "win32", False),
    "Win64Loader": ({"ORTK_WINE_ARCH": "win64", "ORTK_WINE_MODE": "wow64"}, None, "win64",
                    "{b}/wine-template", "win64", True),
}


class WineEnvironment(unittest.TestCase):
    def test_cases(self):
        for name, (environ, named, mode, template, winearch, wine64) in CASES.items():
            with self.subTest(name), tempfile.TemporaryDirectory() as build:
                fill = lambda text: text.format(b=build)  # noqa: E731
                environ = dict({"ORTK_BUILD_DIR": build, "PATH": "/usr/bin"},
                               **{k: fill(v) for k, v in environ.items()})
                given = dict(environ)
                got = environment.decide(environ, named and fill(named))
                self.assertEqual(environ, given)
                self.assertEqual((got.build_dir, got.mode, got.template, got.environ["WINEARCH"]),
                                 (build, mode, fill(template), winearch))
                self.assertEqual(got.environ["PATH"].split(os.pathsep),
                                 ([build + "/wine64-bin"] if wine64 else []) + ["/usr/bin"])
                self.assertEqual(environment.decide(got.environ), got)

    def test_short_link_of_a_deep_build(self):
        with tempfile.TemporaryDirectory() as root:
            build, link = os.path.join(root, "deep", "build"), os.path.join(root, "b")
            os.makedirs(build)
            os.symlink(build, link)
            with open(os.path.join(build, "wine-build-dir.txt"), "w") as f:
                f.write(link + "\n")
            got = environment.decide({"ORTK_WINE_ARCH": "win32"}, build)
            self.assertEqual((got.build_dir, got.environ["ORTK_BUILD_DIR"]), (link, link))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
