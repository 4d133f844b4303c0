// The set-up's graphical entry: one run of the application object, the error page for a
// failed outcome, and exit code 0 whatever happened.
#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <memory>

#include "core/module_state.h"
#include "core/result_codes.h"
#include "setup/command_line.h"
#include "setup/dll_search.h"
#include "setup/entry.h"
#include "setup/running_copy.h"
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

// The run-time's default answer to an exception nobody catches prints its demangled type
// on the console, which a window program does not have; it also brings the whole C++
// demangler (about 45 KB) into setup.exe. RunAndReportResult catches every exception of the
// run, so this only ends a process that is already lost, as std::abort does.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything can load a library by name.
    RestrictDllSearch();

    // Before anything else: a second start a moment after the first only brings the first
    // to the front (when it has a window yet) and ends, with nothing to report.
    UniqueHandle runMark;
    if (!ClaimThisRun(runMark)) {
        BringRunningCopyToFront(nullptr);
        return 0;
    }

    const char* commandLine = GetCommandLineA();
    // The run goes on whether or not COM could be initialised.
    ComScope com;
    module::Initialize(instance);
    setupResult = SETUP_E_DEFAULT;
    RunAndReportResult([commandLine] { RunSetup(commandLine); });
    return 0;
}
