// How a page, file or program reaches the shell (win32 build). An elevated set-up would
// start the browser with the administrator's token; it asks the shell of the desktop,
// which runs as the user, to open it instead.
#pragma once

#include <windows.h>
// Before the shell object's declaration: ShellExecute is then named alike in both.
#include <shellapi.h>
#include <shldisp.h>

#include "core/handles.h"

// What a launch asks of the system to choose its way; tests put fakes in.
class LaunchRoute {
public:
    virtual ~LaunchRoute() = default;
    // Whether the set-up runs with an elevated token.
    virtual bool Elevated() const;
    // The shell object of the explorer that shows the desktop, which runs as the user;
    // empty when there is none.
    virtual ComPtr<IShellDispatch2> DesktopShell() const;
};

// Opens a web page, file or program through the shell without waiting. A target that is
// not a web address is found in baseFolder, or else in the program's folder.
void LaunchWebPage(const char* target, const char* baseFolder = nullptr,
                   const char* parameters = nullptr);

// The route LaunchWebPage takes from now on; null puts the system's back.
void UseLaunchRoute(const LaunchRoute* route);
