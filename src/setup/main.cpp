// The set-up's graphical entry: one run of the application object, the error page for a
// failed outcome, and exit code 0 whatever happened.
#include <windows.h>
#include <objbase.h>

#include <memory>

#include "core/module_state.h"
#include "core/result_codes.h"
#include "setup/command_line.h"
#include "setup/dll_search.h"
#include "setup/entry.h"
#include "setup/setup_application.h"

namespace {

void RunSetup(const char* commandLine) {
    auto application = std::make_unique<SetupApplication>();
    application->forceInstall = HasForceInstallSwitch(commandLine);
    if (application->Startup()) {
        application->RunInstallation();
        application->Shutdown();
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything can load a library by name.
    RestrictDllSearch();

    const char* commandLine = GetCommandLineA();
    CoInitialize(nullptr);  // result deliberately unchecked: the run goes on either way
    module::Initialize(instance);
    setupResult = SETUP_E_DEFAULT;
    RunAndReportResult([commandLine] { RunSetup(commandLine); });
    CoUninitialize();
    return 0;
}
