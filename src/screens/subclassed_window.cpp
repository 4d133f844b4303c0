#include "screens/subclassed_window.h"

#include "screens/window_fault.h"

namespace {
// The object behind a subclassed window is kept in a window property, which leaves the
// control's user data to whoever else wants it.
const char kObjectProperty[] = "OrtkSubclassObject";
}  // namespace

SubclassedWindow::~SubclassedWindow() { Unsubclass(); }

bool SubclassedWindow::MessageTable(HWND, UINT, WPARAM, LPARAM, LRESULT&) { return false; }

WNDPROC SubclassedWindow::WindowProcedure() const { return &SubclassedWindow::StaticProcedure; }

void SubclassedWindow::OnFinalMessage(HWND) {}

bool SubclassedWindow::Subclass(HWND target) {
    if (!target || window) return false;
    if (!SetPropA(target, kObjectProperty, this)) return false;
    SetLastError(0);
    LONG_PTR previous = SetWindowLongPtrA(target, GWLP_WNDPROC,
                                          reinterpret_cast<LONG_PTR>(WindowProcedure()));
    if (previous == 0 && GetLastError() != 0) {
        RemovePropA(target, kObjectProperty);
        return false;
    }
    window = target;
    previousProcedure = reinterpret_cast<WNDPROC>(previous);
    return true;
}

void SubclassedWindow::Unsubclass() {
    if (!window) return;
    if (IsWindow(window)) {
        if (GetWindowLongPtrA(window, GWLP_WNDPROC) ==
            reinterpret_cast<LONG_PTR>(WindowProcedure()))
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProcedure));
        if (GetPropA(window, kObjectProperty) == this) RemovePropA(window, kObjectProperty);
    }
    window = nullptr;
}

LRESULT SubclassedWindow::CallPrevious(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
    return previousProcedure ? CallWindowProcA(previousProcedure, target, message, wParam, lParam)
                             : DefWindowProcA(target, message, wParam, lParam);
}

LRESULT CALLBACK SubclassedWindow::StaticProcedure(HWND target, UINT message, WPARAM wParam,
                                                   LPARAM lParam) {
    auto* object = static_cast<SubclassedWindow*>(GetPropA(target, kObjectProperty));
    if (!object) return DefWindowProcA(target, message, wParam, lParam);
    // A control's exception ends the screen it belongs to.
    return window_fault::Guard<LRESULT>(GetAncestor(target, GA_ROOT), 0, [&] {
        if (message == WM_NCDESTROY) {
            LRESULT result = object->CallPrevious(target, message, wParam, lParam);
            object->Unsubclass();
            object->OnFinalMessage(target);
            return result;
        }
        LRESULT result = 0;
        if (object->MessageTable(target, message, wParam, lParam, result)) return result;
        return object->CallPrevious(target, message, wParam, lParam);
    });
}
