// Process-wide module state of the set-up (win32 build): the program and resource
// instances, the main thread, the set-up icon and the window-creation hand-over list.
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

}  // namespace module
