// The common controls' window classes the screens' templates use (win32 build). Windows
// registers such a class only when the program asks for its flag; every screen asks for
// the classes of its template before the template is created.
#pragma once

#include <windows.h>

// The ICC_* flags of the common-control classes in a template of the set-up (0: none).
DWORD ControlClassesOfTemplate(int templateId);

// Asks comctl32, loaded from the system folder by full path, to register the classes:
// importing it at start would let a copy next to setup.exe load first. The library stays
// loaded for the rest of the process, as the registered classes live in it. False when
// the library or the call fails.
bool InitCommonControlClasses(DWORD classes);
