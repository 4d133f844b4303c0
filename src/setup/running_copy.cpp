#include "setup/running_copy.h"

#include "setup/main_window.h"

const char kRunningCopyMutex[] = "OrvalisToolKit.Setup";

bool ClaimThisRun(UniqueHandle& mark) {
    // The window search alone comes too late: a copy has a window only once it has read
    // the description and loaded the library, and two starts a moment apart both get
    // past it.
    mark.reset(CreateMutexA(nullptr, FALSE, kRunningCopyMutex));
    DWORD error = GetLastError();
    if (!mark) return error != ERROR_ACCESS_DENIED;  // no mutex at all: nothing to go by
    if (error == ERROR_ALREADY_EXISTS) {
        mark.reset();
        return false;
    }
    return true;
}

bool BringRunningCopyToFront(const char* title) {
    HWND running = FindWindowA(kMainWindowClass, title);
    if (!running) return false;
    // A minimised copy would take the foreground but stay a task-bar button: restoring the
    // main window shows the screens it owns again.
    if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
    HWND screen = GetLastActivePopup(running);
    if (screen != running && IsIconic(screen)) ShowWindow(screen, SW_RESTORE);
    SetForegroundWindow(screen);
    return true;
}
