// The installation as the user experiences it: stand-down query, splash, rights check,
// tray stop, medium paths, kit-current test, target folder, welcome and licence screens,
// the package run, the shortcut, the installed mark and the final web page.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "actions/plugin_folders.h"
#include "actions/shared_library_guard.h"
#include "actions/shortcut_retitle.h"
#include "actions/target_folder.h"
#include "actions/web_page.h"
#include "core/product.h"
#include "core/result_codes.h"
#include "core/text_value.h"
#include "registry/setup_services.h"
#include "screens/license_dialog.h"
#include "screens/splash_dialog.h"
#include "screens/welcome_dialog.h"
#include "setup/install_rights.h"
#include "setup/kit_state.h"
#include "setup/progress_dialog.h"
#include "setup/setup_application.h"
#include "setup/stand_down.h"

namespace {

constexpr char kTrayProgram[] = "vxtray.exe";
constexpr char kTrayStopArgument[] = "-Kill";

std::string FolderOnMedium(const std::string& name) {
    std::optional<std::string> folder = ProgramFolder();
    TextValue joined;
    JoinPath(joined, folder ? *folder : std::string(), name, '\\', kPathTrimSet);
    return FullPath(joined.str());
}

// Asks a running tray program of an earlier installation to stop; not waited for.
void StopTrayProgram(SetupServices& services) {
    std::string folder;
    if (services.ReadRegistryString("Installation_Directory", folder))
        LaunchWebPage(kTrayProgram, folder.c_str(), kTrayStopArgument);
}

// Where the set-up medium is, for the package installer and the kit's manager.
void RecordSetupMedium(SetupServices& services, const SetupDescription& description) {
    std::string folder = ProgramFolder().value_or(std::string());
    services.WriteClientString("BinaryRoot", ShortPathForm(folder).c_str());
    services.WriteClientString("LocalContentRoot", FolderOnMedium(description.contentRoot).c_str());
    services.WriteClientString("LocalXMLPath", FolderOnMedium(description.xmlRoot).c_str());
    TextValue managerName;
    LoadResourceText(IDS_MANAGER_NAME, managerName);  // stays empty when the entry is missing
    services.WriteClientString("UninstallDisplayName", managerName.c_str());
}

// The user's own language, also when the English section supplied the texts. A log
// section of its own, like every other user of the registry helpers.
void RecordInstalledLanguage(std::uint16_t userLangId) {
    SetupServices services;
    services.WriteClientDword("InstalledLanguage", static_cast<std::uint32_t>(userLangId));
}

struct RunState {
    bool proceed = true;
    bool freshInstall = true;
};

// A screen that could not be created at all (ShowModal's -1, say a library without its
// template) is no answer from the user: the run ends with the code remembered before the
// screens, so that its error page opens instead of a quiet end reported as success.
bool ScreenFailed(INT_PTR answer, std::int32_t remembered, RunState& state) {
    if (answer != -1) return false;
    setupResult = remembered;
    state.proceed = false;
    return true;
}

// Target folder, welcome, licence, package run, shortcut and installed mark.
void InstallKit(SetupApplication& application, SetupServices& services, RunState& state) {
    const SetupDescription& description = application.description;
    HWND owner = application.mainWindow.window;
    TargetFolder target(services);
    if (!target.ChooseLocation()) {
        // The current code stays: the error page for it opens at exit.
        services.WriteLogLine("Not enough disk space");
        state.proceed = false;
        return;
    }
    // The kit's own folder below the chosen base folder, appended as it stands.
    target.WriteInstallationDirectory((target.path() + kKitSubfolder).c_str());

    // From the welcome screen on, the run ends with nothing to report, whatever the answers.
    std::int32_t remembered = setupResult;
    setupResult = 0;
    {
        WelcomeDialog welcome;
        INT_PTR answer = welcome.ShowModal(owner);
        if (ScreenFailed(answer, remembered, state)) return;
        if (answer != IDC_PROCEED) {
            state.proceed = false;
            return;
        }
    }
    {
        LicenseDialog licence;
        licence.licenseFile = description.license;
        INT_PTR answer = licence.ShowModal(owner);
        if (ScreenFailed(answer, remembered, state)) return;
        if (answer != IDC_PROCEED) {
            state.proceed = false;
            return;
        }
    }

    setupResult = remembered;
    RecordInstalledLanguage(description.userLangId);
    {
        ProgressDialog progress(description.package);
        INT_PTR answer = progress.ShowModal(owner);
        if (ScreenFailed(answer, remembered, state)) return;
        if (answer == IDC_PROCEED) {
            state.freshInstall = true;
            if (!RetitleDesktopShortcut())
                services.WriteLogLine("Desktopwindow cannot find or No lnk file found");
            services.WriteClientDword("ClientInstalled", 1);
        } else {
            state.proceed = false;
        }
    }
    setupResult = 0;
}

}  // namespace

bool SetupApplication::RunInstallation() {
    // A kit that asks the set-up to stand down ends the run with nothing to report.
    std::int32_t remembered = setupResult;
    setupResult = 0;
    if (StandDownQuery()) return false;
    setupResult = remembered;

    {
        SplashDialog splash(description);
        splash.ShowModal(mainWindow.window);
    }

    if (!CheckInstallRights()) {
        setupResult = SETUP_E_NO_RIGHTS;
        return false;
    }

    SetupServices services;
    StopTrayProgram(services);
    RecordPluginFolders(services);
    RecordSetupMedium(services, description);

    RunState state;
    std::int32_t decided;
    if (!forceInstall && IsKitCurrent()) {
        state.freshInstall = false;
        decided = 0;
    } else {
        InstallKit(*this, services, state);
        decided = setupResult;
    }

    if (state.proceed) {
        // A failure escaping the final step is reported with the default code.
        setupResult = SETUP_E_DEFAULT;
        {
            SharedLibraryGuard guard(services);
            const std::string& page = state.freshInstall ? description.firstVisit
                                                         : description.afterFirstVisit;
            // A description without that page names nothing to open; joined with the
            // program's folder it would open the disc's folder in a file window instead.
            if (page.find_first_not_of(kPathTrimSet) != std::string::npos)
                LaunchWebPage(page.c_str());
        }
    }
    setupResult = decided;
    return true;
}

