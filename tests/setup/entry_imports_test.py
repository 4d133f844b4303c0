#!/usr/bin/python3
"""setup.exe imports at start only libraries that every Windows has and always takes from
its system folder, so that nothing it needs at start can come from a file next to it on the
disc. Others (the common controls) are imported on first use, by full path."""
import os
import subprocess
import sys

import winetest

EVERY_WINDOWS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
                 "ole32.dll", "oleaut32.dll", "msvcrt.dll"}


def imported_libraries(program):
    out = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", program], check=True,
                         stdout=subprocess.PIPE).stdout.decode("latin-1")
    return {line.split(":", 1)[1].strip().lower() for line in out.splitlines()
            if line.strip().startswith("DLL Name:")}


def imported_functions(program):
    out = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", program], check=True,
                         stdout=subprocess.PIPE).stdout.decode("latin-1")
    # Rows of the import tables: address, hint, name.
    return {fields[2] for fields in (line.split() for line in out.splitlines())
            if len(fields) == 3 and fields[1].isdigit()}


def main():
    results = winetest.Results("SetupImports")
    program = os.path.join(winetest.build_dir(), "src", "setup", "setup.exe")
    with results.case("OnlyLibrariesEveryWindowsHas"):
        names = imported_libraries(program)
        assert "kernel32.dll" in names, names
        unexpected = names - EVERY_WINDOWS
        assert not unexpected, f"setup.exe imports {sorted(unexpected)}"
    with results.case("ComInitialisedAsTheShellAsks"):
        # COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE, for ShellExecuteEx.
        functions = imported_functions(program)
        assert "CoInitializeEx" in functions and "CoInitialize" not in functions, functions
    results.write(winetest.results_path_from_args(sys.argv))
    return 1 if results.failed() else 0


if __name__ == "__main__":
    sys.exit(main())
