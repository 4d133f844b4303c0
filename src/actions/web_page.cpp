// Opening web pages, local files and the kit's tray program through the shell.
#include "actions/web_page.h"

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include <string>

#include "core/handles.h"
#include "core/text_value.h"
#include "description/setup_description.h"
#include "description/xml_parser_win32.h"
#include "registry/setup_services.h"

namespace {

const LaunchRoute* chosenRoute = nullptr;  // null: the system's

}  // namespace

// The shell windows' desktop entry, its top-level browser, the active view's background
// object and that view's application; empty when any step is missing.
ComPtr<IShellDispatch2> LaunchRoute::DesktopShell() const {
    ComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                IID_IShellWindows, windows.put_void())) || !windows)
        return {};
    ScopedVariant desktop;
    desktop.value.vt = VT_I4;
    desktop.value.lVal = CSIDL_DESKTOP;
    ScopedVariant noRoot;
    LONG window = 0;
    ComPtr<IDispatch> found;
    // S_FALSE: no desktop window is registered.
    if (windows->FindWindowSW(&desktop.value, &noRoot.value, SWC_DESKTOP, &window,
                              SWFO_NEEDDISPATCH, found.put()) != S_OK || !found)
        return {};
    ComPtr<IServiceProvider> services;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> view;
    ComPtr<IDispatch> background;
    ComPtr<IShellFolderViewDual> folderView;
    ComPtr<IDispatch> application;
    ComPtr<IShellDispatch2> shell;
    if (FAILED(found->QueryInterface(IID_IServiceProvider, services.put_void())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                      browser.put_void())) ||
        FAILED(browser->QueryActiveShellView(view.put())) || !view ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.put_void())) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.put_void())) ||
        FAILED(folderView->get_Application(application.put())) || !application ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.put_void())))
        return {};
    return shell;
}

bool LaunchRoute::Elevated() const {
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    // Systems before Vista know no elevation and fail the query: not elevated there.
    return GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation,
                               &size) &&
           elevation.TokenIsElevated != 0;
}

namespace {

// Has the desktop's shell open file, a full path or web address, with its default action;
// false when there is no such shell or it refuses.
bool OpenOnDesktop(IShellDispatch2* shell, const std::string& file) {
    if (!shell) return false;
    // The call takes a component string (length-prefixed), not plain wide text.
    ScopedVariant name;
    name.value.bstrVal = xml_win32::AllocAnsiString(file);
    if (!name.value.bstrVal) return false;
    name.value.vt = VT_BSTR;
    // No parameters, folder or verb, as on the plain route: the file type's default action.
    ScopedVariant none;
    ScopedVariant show;
    show.value.vt = VT_I4;
    show.value.lVal = SW_SHOWNORMAL;
    // Explorer answers S_FALSE when its own open fails: only S_OK means the page opened.
    return shell->ShellExecute(name.value.bstrVal, none.value, none.value, none.value,
                               show.value) == S_OK;
}

void OpenWithShell(const std::string& file, const char* parameters) {
    // An elevated set-up would give the browser the administrator's token: pages open in
    // the desktop's explorer instead, in its own process, which outlives the set-up, so the
    // hand-over is complete when the call returns. A local page that is not there stays on
    // the plain route, which fails without the error box the desktop's shell would show.
    // The tray program's stop request (the one launch with parameters) starts as before.
    const LaunchRoute system;
    const LaunchRoute& route = chosenRoute ? *chosenRoute : system;
    bool page = !parameters &&
                (IsWebAddress(file) || PathExists(file, PathKind::FileOrFolder));
    if (page && route.Elevated() && OpenOnDesktop(route.DesktopShell().get(), file)) return;

    SHELLEXECUTEINFOA info = {};
    static_assert(sizeof(void*) != 4 || sizeof(SHELLEXECUTEINFOA) == 60, "the shell expects the 32-bit layout");
    info.cbSize = sizeof info;
    // No error boxes from the shell; and the launch completes before the call returns, as
    // the final and error pages are opened just before the process ends.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpFile = file.c_str();
    info.lpParameters = parameters;
    info.nShow = SW_SHOWNORMAL;
    // Launches are fire and forget: a target the shell cannot open fails silently.
    ShellExecuteExA(&info);
}

}  // namespace

void UseLaunchRoute(const LaunchRoute* route) {
    chosenRoute = route;
}

void LaunchWebPage(const char* target, const char* baseFolder, const char* parameters) {
    // No target names nothing: joined with the program's folder it would open the disc's
    // folder in a file window instead.
    TextValue trimmed(target);
    if (!target || TrimText(trimmed, kPathTrimSet).empty()) return;
    std::string file = target;
    if (!IsWebAddress(file)) {
        if (baseFolder) {
            // A base folder that is empty would leave a bare name, which the shell looks
            // for in the current folder and along the search path: open nothing then.
            TextValue folder(baseFolder);
            if (TrimText(folder, kPathTrimSet).empty()) return;
            TextValue joined;
            file = JoinPath(joined, baseFolder, file, '\\', kPathTrimSet);
        } else if (std::optional<std::string> folder = ProgramFolder()) {
            file = ResolvePath(*folder, file);
        }
    }
    OpenWithShell(file, parameters);
}
