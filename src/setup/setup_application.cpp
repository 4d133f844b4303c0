#include "setup/setup_application.h"

#include <shellapi.h>

#include <string>

#include "actions/web_page.h"
#include "core/module_state.h"
#include "core/product.h"
#include "core/result_codes.h"
#include "core/text_value.h"
#include "registry/setup_services.h"
#include "setup/running_copy.h"

namespace {

// Callback message of the desktop toolbar registration; the set-up never acts on it.
constexpr UINT kAppBarCallbackMessage = 2024;

APPBARDATA DesktopToolbarData(HWND window) {
    APPBARDATA data = {};
    static_assert(sizeof(void*) != 4 || sizeof(APPBARDATA) == 36, "the shell expects the 32-bit layout");
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uCallbackMessage = kAppBarCallbackMessage;
    return data;
}

// Never used further, but the shell asks for the registration to be removed before the
// window goes.
void RegisterDesktopToolbar(HWND window) {
    APPBARDATA data = DesktopToolbarData(window);
    SHAppBarMessage(ABM_NEW, &data);
}

void RemoveDesktopToolbar(HWND window) {
    APPBARDATA data = DesktopToolbarData(window);
    SHAppBarMessage(ABM_REMOVE, &data);
}

}  // namespace

SetupApplication::SetupApplication() { module::SetSetupIcon(nullptr); }

SetupApplication::~SetupApplication() {
    DestroyMainWindow();
    FreeResourceLibrary();
}

bool SetupApplication::Startup() {
    if (!description.LoadSetupDescription()) return false;

    // The language's resource library, named by full path next to the program. When it
    // does not load, every resource comes from the program itself.
    std::optional<std::string> folder = ProgramFolder();
    if (!description.resourceDll.empty() && folder) {
        std::string library = ResolvePath(*folder, description.resourceDll);
        resourceLibrary.reset(LoadLibraryA(library.c_str()));
        if (resourceLibrary) module::SetResourceInstance(resourceLibrary.get());
    }

    HICON icon = LoadIconA(module::ResourceInstance(), MAKEINTRESOURCEA(IDI_SETUP));
    module::SetSetupIcon(icon);

    TextValue title;
    if (!LoadResourceText(IDS_SETUP_TITLE, title)) return false;

    // A copy that holds no mark of its own (an earlier set-up) is still found by its window.
    if (BringRunningCopyToFront(title.c_str())) {
        setupResult = 0;
        return false;
    }

    if (!mainWindow.Create(title.c_str())) return false;
    HWND window = mainWindow.window;
    SetClassLongPtrA(window, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    SetClassLongPtrA(window, GCLP_HICONSM, reinterpret_cast<LONG_PTR>(icon));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SetActiveWindow(window);
    RegisterDesktopToolbar(window);
    desktopToolbar_ = true;
    ShowWindow(window, SW_SHOW);
    return true;
}

bool SetupApplication::Shutdown() {
    FreeResourceLibrary();
    DestroyMainWindow();
    return true;
}

void SetupApplication::DestroyMainWindow() {
    if (desktopToolbar_ && mainWindow.window) RemoveDesktopToolbar(mainWindow.window);
    desktopToolbar_ = false;
    mainWindow.Destroy();
}

void SetupApplication::FreeResourceLibrary() {
    if (!resourceLibrary) return;
    // Nothing may load from the library once it is gone: the program becomes the resource
    // instance again (the error report still loads through it).
    module::SetResourceInstance(module::ProgramInstance());
    resourceLibrary.reset();
}

void SetupApplication::ReportResult(std::int32_t code) {
    const ErrorPageTable& pages = ProcessErrorPages();
    auto found = pages.find(ErrorPageKeyForCode(code));
    if (found == pages.end() || found->second.empty()) return;
    SetupServices services;
    LaunchWebPage(found->second.c_str());
}
