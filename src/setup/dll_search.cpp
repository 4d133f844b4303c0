#include "setup/dll_search.h"

#include <windows.h>
#include <delayimp.h>

#include <string>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {

// Libraries that setup.exe imports on first use (the common controls) are loaded from
// the system folder by full path. Imported at start they would be looked for next to the
// program first, before any search restriction could act.
FARPROC WINAPI LoadDelayedFromSystemFolder(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
    char folder[MAX_PATH] = {};
    UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::string path = std::string(folder) + "\\" + info->szDll;
    return reinterpret_cast<FARPROC>(LoadLibraryA(path.c_str()));
}

}  // namespace

bool RestrictDllSearch() {
    __pfnDliNotifyHook2 = LoadDelayedFromSystemFolder;

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
