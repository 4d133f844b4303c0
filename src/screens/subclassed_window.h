// A C++ object that takes over the window procedure of an existing window (a button or
// edit control of a dialog template). Messages go to the object's message table first;
// what it does not handle goes to the window's previous procedure.
#pragma once

#include <windows.h>

#include "screens/bound_window.h"

class SubclassedWindow : public BoundWindow {
public:
    SubclassedWindow() = default;
    ~SubclassedWindow() override;

    // Reports whether it handled the message; the result is then the window's answer.
    virtual bool MessageTable(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result);

    // Replaces the window procedure; false (and nothing changed) when that fails.
    virtual bool Subclass(HWND target);
    // Puts the previous procedure back while the window still has ours.
    void Unsubclass();

    LRESULT CallPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC previousProcedure = nullptr;

private:
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) override;
    // A control's exception ends the screen it belongs to.
    HWND ScreenToEnd(HWND target) const override;
    void Untie() override;
};
