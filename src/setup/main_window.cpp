#include "setup/main_window.h"

#include "core/module_state.h"
#include "screens/window_fault.h"

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
    if (!RegisterMainWindowClass(Procedure)) return false;
    // Above and left of every monitor (the virtual screen may begin at negative
    // coordinates), so that it never shows as a blank window; it still shows in the task
    // bar with the title and icon.
    constexpr int kSize = 1001;
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN) - kSize;
    int top = GetSystemMetrics(SM_YVIRTUALSCREEN) - kSize;
    RECT area = {left, top, left + kSize, top + kSize};
    bound_ = false;
    module::PushWindowObject(this);
    HWND created = CreateWindowExA(0, kMainWindowClass, title, WS_SYSMENU | WS_CLIPCHILDREN,
                                   area.left, area.top, area.right - area.left,
                                   area.bottom - area.top, nullptr, nullptr,
                                   module::ProgramInstance(), nullptr);
    // A window that never saw a message leaves the entry behind: take it back so that it
    // binds nothing later.
    if (!created && !bound_) module::TakeWindowObject();
    window = created;
    window_fault::RethrowKept();  // from a message handled during creation
    return created != nullptr;
}

void MainWindow::Destroy() {
    if (window) DestroyWindow(window);
    window = nullptr;
}

LRESULT CALLBACK MainWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // The first message binds the object recorded by the creating thread; the window
    // handles nothing itself.
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) {
        self = static_cast<MainWindow*>(module::TakeWindowObject());
        if (self) {
            self->window = hwnd;
            self->bound_ = true;
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    }
    if (message == WM_NCDESTROY && self) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->window = nullptr;
    }
    // The screen it owns is the modal run to unwind.
    return window_fault::Guard<LRESULT>(GetWindow(hwnd, GW_ENABLEDPOPUP), 0, [&] {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    });
}
