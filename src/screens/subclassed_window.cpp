#include "screens/subclassed_window.h"

SubclassedWindow::~SubclassedWindow() { Unsubclass(); }

bool SubclassedWindow::MessageTable(HWND, UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool SubclassedWindow::Subclass(HWND target) {
    if (!Tie(target)) return false;
    SetLastError(0);
    LONG_PTR previous = SetWindowLongPtrA(
        target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BoundWindow::SubclassProcedure));
    if (previous == 0 && GetLastError() != 0) {
        BoundWindow::Untie();
        return false;
    }
    previousProcedure = reinterpret_cast<WNDPROC>(previous);
    return true;
}

void SubclassedWindow::Unsubclass() { Untie(); }

void SubclassedWindow::Untie() {
    if (!window) return;
    if (IsWindow(window) && GetWindowLongPtrA(window, GWLP_WNDPROC) ==
                                reinterpret_cast<LONG_PTR>(&BoundWindow::SubclassProcedure))
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProcedure));
    BoundWindow::Untie();
}

LRESULT SubclassedWindow::CallPrevious(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
    return previousProcedure ? CallWindowProcA(previousProcedure, target, message, wParam, lParam)
                             : DefWindowProcA(target, message, wParam, lParam);
}

HWND SubclassedWindow::ScreenToEnd(HWND target) const { return GetAncestor(target, GA_ROOT); }

LRESULT SubclassedWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    // The window's last message goes to its own procedure alone; the tie ends after it.
    HWND target = window;
    LRESULT result = 0;
    if (message != WM_NCDESTROY && MessageTable(target, message, wParam, lParam, result))
        return result;
    return CallPrevious(target, message, wParam, lParam);
}
