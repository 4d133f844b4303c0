// Hardening against DLL planting: the set-up runs from a disc or a download folder, where
// anyone may have put a DLL named like a system library.
#pragma once

// Takes the program's folder and the current folder out of the DLL search path for the
// rest of the process; true when a restriction could be set.
bool RestrictDllSearch();
