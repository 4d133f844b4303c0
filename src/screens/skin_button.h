// An invisible owner-drawn button laid over the button face painted into a screen's
// background. Its window text "[x,y,w,h]-Caption" says where it goes; only the focus
// rectangle is ever drawn.
#pragma once

#include <windows.h>

#include "screens/subclassed_window.h"

class SkinButton : public SubclassedWindow {
public:
    SkinButton() = default;
    ~SkinButton() override;

    bool MessageTable(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                      LRESULT& result) override;
    // Subclasses the button, makes it owner-drawn and moves it to its layout rectangle.
    bool Subclass(HWND target) override;

    // The button destroys this cursor when its window goes.
    void SetCursorHandle(HCURSOR handle);

    HCURSOR cursor = nullptr;
    int showFocus = 1;
    UINT lastState = 0;
    UINT lastAction = 0;

private:
    void OnSetCursor();
    void OnDrawItem(const DRAWITEMSTRUCT* item);
    void OnDestroy();
    void ApplyLayoutText();
};
