#include "screens/colored_control.h"

#include "screens/skin_dialog.h"
#include "screens/skin_layout.h"

ColoredControl::ColoredControl(SkinDialog* owner)
    : owner(owner),
      textColor(GetSysColor(COLOR_BTNTEXT)),
      backColor(GetSysColor(COLOR_BTNFACE)),
      backBrush(CreateSolidBrush(backColor)) {}

void ColoredControl::SetBackColor(COLORREF color) {
    backColor = color;
    backBrush.reset(CreateSolidBrush(color));
}

bool ColoredControl::Subclass(HWND target) {
    if (!SubclassedWindow::Subclass(target)) return false;
    BuildFont();
    return true;
}

void ColoredControl::BuildFont() {
    HWND parent = GetParent(window);
    HFONT dialogFont = parent ? reinterpret_cast<HFONT>(SendMessageA(parent, WM_GETFONT, 0, 0))
                              : nullptr;
    if (font) {
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), FALSE);
        font.reset();
    }
    LOGFONTA logFont = {};
    if (!dialogFont || !GetObjectA(dialogFont, sizeof logFont, &logFont)) return;
    if (scaleFont) logFont.lfHeight = ScaledFontHeight(logFont.lfHeight, SystemUsesLargeFonts());
    logFont.lfWeight = fontWeight;
    HFONT made = CreateFontIndirectA(&logFont);
    if (!made) return;  // the control keeps the dialog's font
    font.reset(made);
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(made), FALSE);
}

bool ColoredControl::MessageTable(HWND target, UINT message, WPARAM wParam, LPARAM lParam,
                                  LRESULT& result) {
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        result = OnControlColor(reinterpret_cast<HDC>(wParam));
        return true;
    }
    return owner && owner->MessageTable(target, message, wParam, lParam, result, mapId);
}

LRESULT ColoredControl::OnControlColor(HDC dc) {
    SetTextColor(dc, textColor);
    if (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT) {
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, backColor);
    return reinterpret_cast<LRESULT>(backBrush.get());
}

bool SystemUsesLargeFonts() {
    HWND desktop = GetDesktopWindow();
    WindowDc dc(desktop);
    if (!dc.get()) return false;
    // From the screen's logical resolution, not the System font's height: a program that
    // is not aware of the resolution may be told another font height at 125 % and more.
    return IsLargeFontDpi(GetDeviceCaps(dc.get(), LOGPIXELSY));
}
