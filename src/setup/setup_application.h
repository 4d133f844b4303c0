// The application object: setup description, resource library and hidden main window for
// the one run of the set-up.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/handles.h"
#include "description/setup_description.h"
#include "setup/main_window.h"

class SetupApplication {
public:
    SetupApplication();
    virtual ~SetupApplication();  // frees what a run cut short left behind
    SetupApplication(const SetupApplication&) = delete;
    SetupApplication& operator=(const SetupApplication&) = delete;

    // Description, resource library, icon, title, running copy, main window. True when
    // the installation sequence is to run.
    bool Startup();
    // The installation sequence; its result is not used by the entry.
    bool RunInstallation();
    // Frees the resource library and destroys the main window; true.
    bool Shutdown();
    // Opens the error page registered for a failed result code, if any. It needs nothing
    // of the object, so it still runs after the object is gone.
    static void ReportResult(std::int32_t code);

    bool forceInstall = false;
    MainWindow mainWindow;
    SetupDescription description;
    UniqueModule resourceLibrary;

private:
    void FreeResourceLibrary();
    // Removes the desktop toolbar registration first.
    void DestroyMainWindow();

    bool desktopToolbar_ = false;  // registered with the shell
};
