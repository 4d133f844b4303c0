// Process-wide module state of the set-up (win32 build): the program and resource
// instances, the main thread, the set-up icon, the window-creation hand-over list and the
// map from windows to the objects that handle their messages.
#pragma once

#include <windows.h>

namespace module {

// Called once by the entry, before anything else: both instances become the program.
void Initialize(HINSTANCE programInstance);

HINSTANCE ProgramInstance();
// Where every template, bitmap, cursor, icon and string is loaded from.
HINSTANCE ResourceInstance();
void SetResourceInstance(HINSTANCE instance);

DWORD MainThreadId();

// Icon 222, loaded by start-up from the resource instance; null until then.
HICON SetupIcon();
void SetSetupIcon(HICON icon);

// Window-creation hand-over: the creating thread records the object that is to own the
// next window it creates; that window's first message takes the entry of its own thread.
void PushWindowObject(void* object);
void* TakeWindowObject();

// The window map: which object handles a window's messages. Kept here rather than on the
// window (a property is a system call per message on some systems), under the hand-over
// list's lock, so that it may be read and changed from any thread.
// BindWindow: false when the window is bound already or the map cannot grow.
bool BindWindow(HWND window, void* object);
void* BoundObject(HWND window);
// Ends the window's binding when it is bound to this object.
void UnbindWindow(HWND window, const void* object);

}  // namespace module
