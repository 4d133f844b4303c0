// A C++ object that takes over the window procedure of an existing window (a button or
// edit control of a dialog template). Messages go to the object's message table first;
// what it does not handle goes to the window's previous procedure.
#pragma once

#include <windows.h>

class SubclassedWindow {
public:
    SubclassedWindow() = default;
    virtual ~SubclassedWindow();
    SubclassedWindow(const SubclassedWindow&) = delete;
    SubclassedWindow& operator=(const SubclassedWindow&) = delete;

    // Reports whether it handled the message; the result is then the window's answer.
    virtual bool MessageTable(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result);
    virtual WNDPROC WindowProcedure() const;
    // Called after the window has gone (WM_NCDESTROY) and the object is unhooked.
    virtual void OnFinalMessage(HWND window);

    // Replaces the window procedure; false (and nothing changed) when that fails.
    virtual bool Subclass(HWND target);
    // Puts the previous procedure back while the window still has ours.
    void Unsubclass();

    LRESULT CallPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window = nullptr;
    WNDPROC previousProcedure = nullptr;

private:
    static LRESULT CALLBACK StaticProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
};
