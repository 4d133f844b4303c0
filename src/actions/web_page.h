// How a page, file or program reaches the shell (win32 build). An elevated set-up would
// start the browser with the administrator's token; it asks the shell of the desktop,
// which runs as the user, to open it instead.
#pragma once

#include <string>

// What a launch asks of the system to choose its way; tests put fakes in.
class LaunchRoute {
public:
    virtual ~LaunchRoute() = default;
    // Whether the set-up runs with an elevated token.
    virtual bool Elevated() const;
    // Has the desktop's shell (IShellDispatch2::ShellExecute of the explorer that shows
    // the desktop) open file, a full path or web address, with its default action; false
    // when there is no such shell or it refuses.
    virtual bool OpenOnDesktop(const std::string& file) const;
};

// The route SetupServices::LaunchWebPage takes from now on; null puts the system's back.
void UseLaunchRoute(const LaunchRoute* route);
