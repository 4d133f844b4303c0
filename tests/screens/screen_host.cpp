// Shows one screen of the set-up, owned by a hidden owner window, for the GUI tests:
//
//   screen_host.exe SCREEN [--resources DLL] [--license NAME] [--lang-avi V] [--root-avi V]
//                   [--no-language] [--state FILE] [--result FILE]
//
// SCREEN is welcome, license, confirm, splash or progress (the package-run template and
// picture with its bar placed and a third full; Cancel ends it with 2). While the screen
// runs, FILE (--state) is rewritten every 100 ms with what a test cannot see from outside:
// the thread's dialogs (with window and owner handles), the focused control, the active
// dialog's buttons (place and window text), the licence text's length and selection (the
// text itself goes to FILE.text). The screen's result goes to --result as "result=N elapsed=MS clip=0|1".
#include <windows.h>
#include <commctrl.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/module_state.h"
#include "core/product.h"
#include "core/result_codes.h"
#include "description/xml_document.h"
#include "screens/confirm_exit_dialog.h"
#include "screens/license_dialog.h"
#include "screens/splash_dialog.h"
#include "screens/welcome_dialog.h"

namespace {

struct Options {
    std::string screen;
    std::string resources;
    std::string license;
    std::string langAvi;
    std::string rootAvi;
    bool noLanguage = false;
    std::string stateFile;
    std::string resultFile;
};

Options options;

Options ParseOptions(int argc, char** argv) {
    Options o;
    if (argc > 1) o.screen = argv[1];
    for (int i = 2; i + 1 < argc; ++i) {
        std::string name = argv[i];
        if (name == "--no-language") {
            o.noLanguage = true;
            continue;
        }
        std::string value = argv[++i];
        if (name == "--resources") o.resources = value;
        else if (name == "--license") o.license = value == "-" ? "" : value;
        else if (name == "--lang-avi") o.langAvi = value;
        else if (name == "--root-avi") o.rootAvi = value;
        else if (name == "--state") o.stateFile = value;
        else if (name == "--result") o.resultFile = value;
    }
    if (argc > 2 && std::string(argv[argc - 1]) == "--no-language") o.noLanguage = true;
    return o;
}

void WriteFileAtomically(const std::string& path, const std::string& data) {
    std::string temporary = path + ".tmp";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::string Line(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

BOOL CALLBACK DescribeWindow(HWND window, LPARAM out) {
    auto& text = *reinterpret_cast<std::string*>(out);
    if (!IsWindowVisible(window)) return TRUE;
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    RECT w = {}, c = {};
    GetWindowRect(window, &w);
    GetClientRect(window, &c);
    text += Line("dialog=%s|%ld,%ld,%ld,%ld|%ld,%ld|%lu|%p|%p\n", title, w.left, w.top, w.right,
                 w.bottom, c.right, c.bottom,
                 static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
                 static_cast<void*>(window), static_cast<void*>(GetWindow(window, GW_OWNER)));
    return TRUE;
}

void DescribeControl(std::string& text, HWND dialog, int id, const char* name) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return;
    RECT r = {};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    char caption[128] = {};
    if (id != IDC_LICENSE_TEXT) GetWindowTextA(control, caption, sizeof caption);
    text += Line("%s=%ld,%ld,%ld,%ld|%d|%lu|%s\n", name, r.left, r.top, r.right - r.left,
                 r.bottom - r.top, IsWindowVisible(control) ? 1 : 0,
                 static_cast<unsigned long>(GetWindowLongA(control, GWL_STYLE)), caption);
}

void CALLBACK WriteState(HWND, UINT, UINT_PTR, DWORD) {
    if (options.stateFile.empty()) return;
    std::string text;
    EnumThreadWindows(GetCurrentThreadId(), DescribeWindow, reinterpret_cast<LPARAM>(&text));
    HWND focus = GetFocus();
    text += Line("focus=%d\n", focus ? GetDlgCtrlID(focus) : -1);
    HWND active = GetActiveWindow();
    if (active) {
        DescribeControl(text, active, IDC_PROCEED, "button1008");
        DescribeControl(text, active, IDCANCEL, "button2");
        DescribeControl(text, active, IDC_SPLASH_CLIP, "clip");
        DescribeControl(text, active, IDC_PROGRESS_BAR, "bar");
        HWND edit = GetDlgItem(active, IDC_LICENSE_TEXT);
        if (edit) {
            DescribeControl(text, active, IDC_LICENSE_TEXT, "license");
            std::vector<char> content(70000, 0);
            int length = GetWindowTextA(edit, content.data(), static_cast<int>(content.size()));
            DWORD start = 0, end = 0;
            SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                         reinterpret_cast<LPARAM>(&end));
            text += Line("license_length=%d\nlicense_selection=%lu,%lu\n", length,
                         static_cast<unsigned long>(start), static_cast<unsigned long>(end));
            WriteFileAtomically(options.stateFile + ".text", std::string(content.data(), length));
        }
    }
    WriteFileAtomically(options.stateFile, text);
}

HWND CreateOwner() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = module::ProgramInstance();
    windowClass.lpszClassName = "ScreenHostOwner";
    RegisterClassA(&windowClass);
    // Hidden, like the set-up's main window is to the user.
    return CreateWindowExA(0, "ScreenHostOwner", "Screen host", WS_SYSMENU | WS_CLIPCHILDREN,
                           -1000, -1000, 1001, 1001, nullptr, nullptr,
                           module::ProgramInstance(), nullptr);
}

// The package-run screen's template and picture, without the package run behind them.
class ProgressLook : public SkinDialog {
public:
    ProgressLook() : SkinDialog(IDD_PROGRESS) {}
    bool MessageTable(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                      int mapId) override {
        if (mapId != 0) return false;
        switch (message) {
        case WM_INITDIALOG:
            result = OnInitDialog();
            return true;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) EndScreen(IDCANCEL);
            return true;
        case WM_ERASEBKGND:
            return EraseBackground(reinterpret_cast<HDC>(wParam), result);
        default:
            return false;
        }
    }

private:
    LRESULT OnInitDialog() {
        LoadBackgroundFromTitle();
        SetTitleFromString(IDS_SETUP_TITLE);
        SetSmallIcon();
        SubclassButtons({IDCANCEL});
        SetButtonCursor({IDR_HAND_CURSOR});
        HWND bar = GetDlgItem(window, IDC_PROGRESS_BAR);
        SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 150));
        SendMessageA(bar, PBM_SETPOS, 50, 0);
        SendMessageA(bar, PBM_SETBARCOLOR, 0, 0);
        SendMessageA(bar, PBM_SETBKCOLOR, 0, 0x00FEF7F9);
        PlaceControlFromStatic(IDC_PROGRESS_BAR, IDC_PROGRESS_RECT);
        CreateFocusSink();
        return FALSE;
    }
};

std::unique_ptr<XmlNode> NodeWithClip(const std::string& avi) {
    auto node = std::make_unique<XmlNode>();
    if (!avi.empty()) node->attributes["AVI"] = std::make_unique<XmlAttribute>("AVI", avi);
    return node;
}

}  // namespace

int main(int argc, char** argv) {
    options = ParseOptions(argc, argv);
    module::Initialize(GetModuleHandleA(nullptr));
    HMODULE library = nullptr;
    if (!options.resources.empty()) {
        library = LoadLibraryA(options.resources.c_str());
        if (!library) {
            std::fprintf(stderr, "cannot load %s\n", options.resources.c_str());
            return 3;
        }
        module::SetResourceInstance(library);
    }
    module::SetSetupIcon(LoadIconA(module::ResourceInstance(), MAKEINTRESOURCEA(IDI_SETUP)));
    HWND owner = CreateOwner();
    SetTimer(nullptr, 0, 100, WriteState);

    DWORD started = GetTickCount();
    INT_PTR result = -1;
    bool clip = false;
    if (options.screen == "welcome") {
        WelcomeDialog screen;
        result = screen.ShowModal(owner);
    } else if (options.screen == "license") {
        LicenseDialog screen;
        screen.licenseFile = options.license;
        result = screen.ShowModal(owner);
    } else if (options.screen == "confirm") {
        ConfirmExitDialog screen;
        result = screen.ShowModal(owner);
    } else if (options.screen == "progress") {
        ProgressLook screen;
        result = screen.ShowModal(owner);
    } else if (options.screen == "splash") {
        std::unique_ptr<XmlNode> root = NodeWithClip(options.rootAvi);
        std::unique_ptr<XmlNode> language = NodeWithClip(options.langAvi);
        SplashDialog screen(root.get(), options.noLanguage ? nullptr : language.get());
        result = screen.ShowModal(owner);
        clip = screen.clipOpen;
    } else {
        std::fprintf(stderr, "unknown screen %s\n", options.screen.c_str());
        return 2;
    }
    DWORD elapsed = GetTickCount() - started;
    std::string line = Line("result=%d elapsed=%lu clip=%d\n", static_cast<int>(result),
                            static_cast<unsigned long>(elapsed), clip ? 1 : 0);
    std::fputs(line.c_str(), stdout);
    if (!options.resultFile.empty()) WriteFileAtomically(options.resultFile, line);
    DestroyWindow(owner);
    if (library) FreeLibrary(library);
    return 0;
}
