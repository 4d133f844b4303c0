"""Helpers for running the Win32 build under Wine, for tests and the demo, under one name:
the machine and the environment decided once for the process (wineharness.machine,
wineharness.environment), template and per-test prefixes (wineharness.prefix), the Xvfb
display and input to its windows (wineharness.display, wineharness.xinput) and the
results of script tests (wineharness.results). Used by tools/wine-test, the end-to-end
scripts under tests/ and tools/demo.

  winetest.py --arch    prints the build Wine runs here: win32 or win64
  winetest.py --wow64   prints yes where Wine runs 32-bit programs in a 64-bit prefix, else no
"""
import sys

# The names the tests and tools use, from the modules that hold them.
from wineharness.display import Display  # noqa: F401
from wineharness.environment import (WINE_ENV, build_dir, settle, settled, source_dir,
                                     template_dir, use_build, wine_arch, wine_mode)
from wineharness.machine import WINE32_LOADER, WINE64_LOADER, can_run_32bit, can_run_wow64
from wineharness.prefix import (USER_FOLDERS, Prefix, ensure_template, system_program,
                                to_windows_path)
from wineharness.results import Results, results_path_from_args, run_cases
from wineharness.xinput import (click, client_origin, find_windows, key, wait_window,
                                window_geometry)

if __name__ == "__main__":
    if sys.argv[1:] == ["--arch"]:
        print(wine_arch())
    elif sys.argv[1:] == ["--wow64"]:
        print("yes" if can_run_wow64() else "no")
