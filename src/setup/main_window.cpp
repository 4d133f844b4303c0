#include "setup/main_window.h"

#include "core/module_state.h"

const char kMainWindowClass[] = "OrvalisToolKit";

namespace {

bool RegisterMainWindowClass(WNDPROC procedure) {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = module::ProgramInstance();
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kMainWindowClass;
    // No class icon: the set-up icon is set once the window exists.
    registered = RegisterClassExA(&windowClass) != 0 ||
                 GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

}  // namespace

MainWindow::~MainWindow() { Destroy(); }

bool MainWindow::Create(const char* title) {
    if (window) return true;
    if (!RegisterMainWindowClass(&BoundWindow::WindowProcedure)) return false;
    // Above and left of every monitor (the virtual screen may begin at negative
    // coordinates), so that it never shows as a blank window; it still shows in the task
    // bar with the title and icon.
    constexpr int kSize = 1001;
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN) - kSize;
    int top = GetSystemMetrics(SM_YVIRTUALSCREEN) - kSize;
    RECT area = {left, top, left + kSize, top + kSize};
    HWND created = CreateBound(0, kMainWindowClass, title, WS_SYSMENU | WS_CLIPCHILDREN, area,
                               nullptr);
    return created != nullptr;
}

void MainWindow::Destroy() {
    if (window) DestroyWindow(window);
    window = nullptr;
}

LRESULT MainWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MainWindow::ScreenToEnd(HWND target) const { return GetWindow(target, GW_ENABLEDPOPUP); }
