// A child control of a screen that answers its own colour requests (text and background
// colour, brush) and carries a font of its own made from the dialog's. Messages to the
// control are first offered to the screen's message table under map id 1.
#pragma once

#include <windows.h>

#include "core/handles.h"
#include "screens/subclassed_window.h"

class SkinDialog;

class ColoredControl : public SubclassedWindow {
public:
    explicit ColoredControl(SkinDialog* owner);
    ~ColoredControl() override = default;

    bool MessageTable(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                      LRESULT& result) override;
    // Subclasses the control and gives it its font.
    bool Subclass(HWND target) override;

    // Changes the background colour and makes its brush anew.
    void SetBackColor(COLORREF color);
    HBRUSH BackBrush() const { return backBrush.get(); }
    HFONT Font() const { return font.get(); }

    SkinDialog* owner;
    int mapId = 1;
    COLORREF textColor;
    COLORREF backColor;
    UniqueBrush backBrush;
    UniqueFont font;
    int scaleFont = 1;
    LONG fontWeight = 400;

private:
    LRESULT OnControlColor(HDC dc);
    void BuildFont();
};

// Whether the system uses large fonts: more than 96 logical pixels per inch on the desktop.
bool SystemUsesLargeFonts();
