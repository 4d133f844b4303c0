// The common controls, loaded from the system folder on first use.
//
// comctl32.dll is not among the libraries that Windows always takes from its own folder, so
// importing it at start would let a copy next to setup.exe on the disc be loaded before any
// search restriction could act. Instead this file supplies the import slot through which
// callers of InitCommonControlsEx reach the library, so that setup.exe has no start-up
// import of it and the call loads the system's copy by full path.
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace {

using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

InitCommonControlsExFunction SystemInitCommonControlsEx() {
    char folder[MAX_PATH] = {};
    UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    // Kept loaded for the rest of the process: the window classes it registers live in it.
    HMODULE library = LoadLibraryA((std::string(folder) + "\\comctl32.dll").c_str());
    if (!library) return nullptr;
    return reinterpret_cast<InitCommonControlsExFunction>(
        GetProcAddress(library, "InitCommonControlsEx"));
}

BOOL WINAPI InitCommonControlsFromSystem(const INITCOMMONCONTROLSEX* classes) {
    static InitCommonControlsExFunction function = SystemInitCommonControlsEx();
    return function ? function(classes) : FALSE;
}

}  // namespace

// The slot that callers declared with the system header call through.
extern "C" {
extern void* const commonControlsInitSlot __asm__("__imp__InitCommonControlsEx@4");
void* const commonControlsInitSlot = reinterpret_cast<void*>(&InitCommonControlsFromSystem);
}
