// The set-up's hidden main window: the owner of every screen, and the window by which a
// second copy of the set-up finds the first (class "OrvalisToolKit", the set-up's title).
#pragma once

#include <windows.h>

#include "screens/bound_window.h"

extern const char kMainWindowClass[];  // "OrvalisToolKit"

class MainWindow : public BoundWindow {
public:
    MainWindow() = default;
    ~MainWindow() override;  // destroys a window still open

    // Registers the class on first use and creates the window off the screen; false when
    // either fails.
    bool Create(const char* title);
    void Destroy();

private:
    // The window handles nothing itself.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The screen it owns is the modal run to unwind.
    HWND ScreenToEnd(HWND target) const override;
};
