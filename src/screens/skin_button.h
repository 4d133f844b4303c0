// An invisible owner-drawn button laid over the button face painted into a screen's
// background. Its template text "[x,y,w,h]-Caption" says where it goes; once placed, its
// window text is the caption alone, the name a screen reader gives it and the source of
// its mnemonic. Only the focus rectangle is drawn, unless the screen has no picture: then
// the face is drawn as a plain push button with its caption, so the screen stays usable.
// Enter presses a face that has the keyboard focus, as Space does.
#pragma once

#include <windows.h>

#include "core/handles.h"
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

    UniqueCursor cursor;
    int showFocus = 1;
    bool plainFace = false;  // the screen has no picture: draw the face itself
    UINT lastState = 0;
    UINT lastAction = 0;

private:
    void OnSetCursor();
    void OnDrawItem(const DRAWITEMSTRUCT* item);
    void DrawPlainFace(const DRAWITEMSTRUCT* item);
    LRESULT OnGetDlgCode(const MSG* message, LRESULT previous);
    void OnKeyDown(WPARAM key, LPARAM flags);
    void OnDestroy();
    void ApplyLayoutText();
};
