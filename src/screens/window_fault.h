// Exceptions at window boundaries (win32 build). An exception cannot unwind through the
// system's dialog and message frames, so every window procedure of the set-up catches
// what its handlers throw, keeps it here and ends the modal screen that is running; the
// screen's ShowModal rethrows it on return, on the thread that will handle it.
#pragma once

#include <windows.h>

#include <exception>

namespace window_fault {

// Keeps the exception being handled (the first one of this thread wins: later ones are
// consequences) and ends `modalDialog`, the modal screen to unwind, when there is one.
void KeepCurrent(HWND modalDialog);

// Rethrows the kept exception of this thread, if any, and forgets it.
void RethrowKept();

}  // namespace window_fault
