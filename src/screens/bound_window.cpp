#include "screens/bound_window.h"

#include "core/module_state.h"
#include "screens/common_controls.h"
#include "screens/window_fault.h"

BoundWindow::~BoundWindow() { BoundWindow::Untie(); }

void BoundWindow::OnFinalMessage(HWND) {}

HWND BoundWindow::ScreenToEnd(HWND target) const { return target; }

void BoundWindow::Untie() {
    if (!window) return;
    module::UnbindWindow(window, this);
    window = nullptr;
}

bool BoundWindow::Tie(HWND target) {
    if (!target || window || !module::BindWindow(target, this)) return false;
    window = target;
    return true;
}

void BoundWindow::Expect() {
    expecting_ = true;
    module::PushWindowObject(this);
}

void BoundWindow::StopExpecting() {
    if (expecting_) module::TakeWindowObject();
    expecting_ = false;
}

INT_PTR BoundWindow::RunDialog(int templateId, HWND owner) {
    if (DWORD classes = ControlClassesOfTemplate(templateId)) InitCommonControlClasses(classes);
    Expect();
    INT_PTR result = DialogBoxParamA(module::ResourceInstance(), MAKEINTRESOURCEA(templateId),
                                     owner, &BoundWindow::DialogProcedure, 0);
    StopExpecting();
    // A handler's exception ended the screen; it goes on from here, outside the system's
    // frames, to whoever runs the screen.
    window_fault::RethrowKept();
    return result;
}

HWND BoundWindow::CreateDialogBound(int templateId, HWND owner) {
    if (DWORD classes = ControlClassesOfTemplate(templateId)) InitCommonControlClasses(classes);
    Expect();
    HWND created = CreateDialogParamA(module::ResourceInstance(), MAKEINTRESOURCEA(templateId),
                                      owner, &BoundWindow::DialogProcedure, 0);
    StopExpecting();
    try {
        window_fault::RethrowKept();
    } catch (...) {
        if (created) DestroyWindow(created);
        throw;
    }
    return created;
}

HWND BoundWindow::CreateBound(DWORD exStyle, const char* className, const char* title,
                              DWORD style, const RECT& area, HWND parent) {
    Expect();
    HWND created = CreateWindowExA(exStyle, className, title, style, area.left, area.top,
                                   area.right - area.left, area.bottom - area.top, parent,
                                   nullptr, module::ProgramInstance(), nullptr);
    StopExpecting();
    window_fault::RethrowKept();  // from a message handled during creation
    return created;
}

BoundWindow* BoundWindow::ObjectOf(HWND target, bool takeEntry) {
    auto* object = static_cast<BoundWindow*>(module::BoundObject(target));
    if (object || !takeEntry) return object;
    object = static_cast<BoundWindow*>(module::TakeWindowObject());
    if (!object) return nullptr;
    object->expecting_ = false;
    if (!object->Tie(target)) {
        // Not tied: the entry goes back, for the window's next message to try again.
        object->Expect();
        return nullptr;
    }
    return object;
}

LRESULT BoundWindow::Deliver(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        LRESULT answer = Dispatch(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            Untie();
            OnFinalMessage(target);
        }
        return answer;
    } catch (...) {
        // The screen to end is looked up only now: it costs a system call per message.
        window_fault::KeepCurrent(ScreenToEnd(target));
        return 0;
    }
}

INT_PTR CALLBACK BoundWindow::DialogProcedure(HWND target, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    BoundWindow* object = ObjectOf(target, true);
    return object ? object->Deliver(target, message, wParam, lParam) : FALSE;
}

LRESULT CALLBACK BoundWindow::WindowProcedure(HWND target, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    BoundWindow* object = ObjectOf(target, true);
    return object ? object->Deliver(target, message, wParam, lParam)
                  : DefWindowProcA(target, message, wParam, lParam);
}

LRESULT CALLBACK BoundWindow::SubclassProcedure(HWND target, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    // A subclassed control never takes a hand-over entry: those are for created windows.
    BoundWindow* object = ObjectOf(target, false);
    return object ? object->Deliver(target, message, wParam, lParam)
                  : DefWindowProcA(target, message, wParam, lParam);
}
