// The set-up's hidden main window: the owner of every screen, and the window by which a
// second copy of the set-up finds the first (class "OrvalisToolKit", the set-up's title).
#pragma once

#include <windows.h>

extern const char kMainWindowClass[];  // "OrvalisToolKit"

class MainWindow {
public:
    MainWindow() = default;
    virtual ~MainWindow();  // destroys a window still open
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Registers the class on first use and creates the window off the screen; false when
    // either fails.
    bool Create(const char* title);
    void Destroy();

    HWND window = nullptr;

private:
    bool bound_ = false;
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
