#include "setup/dll_search.h"

#include <windows.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

bool RestrictDllSearch() {
    // Both calls are looked up at run time: SetDefaultDllDirectories exists from Windows 7
    // (and Vista or XP with updates), SetDllDirectoryA from XP SP1. Importing either would
    // keep the program from starting where it is missing.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return false;
    using SetDefaultDirs = BOOL(WINAPI*)(DWORD);
    auto setDefault = reinterpret_cast<SetDefaultDirs>(
        GetProcAddress(kernel, "SetDefaultDllDirectories"));
    // Only the system folder is searched for libraries loaded by name; those named by full
    // path (the resource library, the kit's registered components) still load.
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
    // Older systems: an empty text takes the current folder out of the search order.
    using SetDirectory = BOOL(WINAPI*)(LPCSTR);
    auto setDirectory = reinterpret_cast<SetDirectory>(
        GetProcAddress(kernel, "SetDllDirectoryA"));
    return setDirectory && setDirectory("");
}
