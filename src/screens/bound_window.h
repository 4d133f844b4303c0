// The tie between a window and the C++ object that handles its messages, one scheme for
// every window of the set-up: the dialogs and windows it creates and the controls it
// subclasses. The object is kept in the module's window map, which leaves the window's
// user data to whoever else wants it. A window the set-up creates is tied on its first
// message to the object that its creating thread recorded in the hand-over list just
// before; an existing window is tied when it is subclassed. The tie ends at WM_NCDESTROY,
// after the object has seen the message and before its OnFinalMessage.
//
// The procedures here are exception boundaries: what a handler throws is kept and ends
// the modal screen the window belongs to (window_fault); RunDialog and CreateBound
// rethrow it once the system's frames are behind them.
#pragma once

#include <windows.h>

class BoundWindow {
public:
    BoundWindow() = default;
    virtual ~BoundWindow();  // unties a window still tied, so no message reaches a gone object
    BoundWindow(const BoundWindow&) = delete;
    BoundWindow& operator=(const BoundWindow&) = delete;

    // Called after the window has gone (WM_NCDESTROY) and the tie has ended.
    virtual void OnFinalMessage(HWND window);

    HWND window = nullptr;

protected:
    // The object's answer to one message of its window: what a dialog procedure returns
    // for a dialog, what a window procedure returns otherwise.
    virtual LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // The modal screen that a handler's exception ends (none: null). A dialog is its own.
    virtual HWND ScreenToEnd(HWND target) const;
    // Ends the tie while the window still has it; window becomes null.
    virtual void Untie();

    // Runs the dialog of the template in the resource instance with DialogProcedure, this
    // object tied to it, once the template's common-control classes are registered; the
    // value given to EndDialog, or -1 when it cannot be created.
    INT_PTR RunDialog(int templateId, HWND owner);
    // Creates the dialog of the template modeless, this object tied to it, and leaves it
    // as the template made it (none of the set-up's is WS_VISIBLE); null when it cannot
    // be created. A handler's exception destroys the window and goes on from here.
    HWND CreateDialogBound(int templateId, HWND owner);
    // Creates a window of a class whose procedure is WindowProcedure, this object tied
    // to it; null when it cannot be created.
    HWND CreateBound(DWORD exStyle, const char* className, const char* title, DWORD style,
                     const RECT& area, HWND parent);
    // Ties an existing window now; false when it is tied already or cannot hold the tie.
    bool Tie(HWND target);

    // The procedure of the dialogs, the window classes and the subclassed controls of the
    // set-up. Without a tied object a dialog answers FALSE and a window as DefWindowProcA.
    static INT_PTR CALLBACK DialogProcedure(HWND target, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    static LRESULT CALLBACK WindowProcedure(HWND target, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    static LRESULT CALLBACK SubclassProcedure(HWND target, UINT message, WPARAM wParam,
                                              LPARAM lParam);

private:
    // The object tied to target; with takeEntry, a window not tied yet is tied to the
    // object its thread recorded for the window it is creating.
    static BoundWindow* ObjectOf(HWND target, bool takeEntry);
    LRESULT Deliver(HWND target, UINT message, WPARAM wParam, LPARAM lParam);
    // Records this object for the next window its thread creates, or takes back an entry
    // that no window took, so that it binds no later window of the thread.
    void Expect();
    void StopExpecting();

    bool expecting_ = false;
};
