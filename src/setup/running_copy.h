// A copy of the set-up that is already running in this session: known by a named mutex
// that every copy makes first thing, and brought to the front by its main window.
#pragma once

#include <windows.h>

#include "core/handles.h"

// The mutex every running copy holds ("OrvalisToolKit.Setup", in the session's namespace).
extern const char kRunningCopyMutex[];

// Makes the mutex for this run and keeps it until the process ends. False when another
// copy made it first (or holds it where this one may not open it).
bool ClaimThisRun(UniqueHandle& mark);

// Brings the running copy's active screen to the front, restoring it first when the user
// minimised it. The main window is found by class and title; a null title takes any
// window of the class. True when one was found.
bool BringRunningCopyToFront(const char* title);
