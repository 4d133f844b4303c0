#include "screens/skin_button.h"

#include <string>

#include "core/handles.h"
#include "screens/skin_layout.h"

namespace {
bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

bool IsEnterKeyDown(const MSG* message) {
    return message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN;
}
}  // namespace

// Normally the cursor went with the window; a button object dropped while its window lives
// destroys it with its owner.
SkinButton::~SkinButton() = default;

void SkinButton::SetCursorHandle(HCURSOR handle) {
    if (cursor.get() != handle) cursor.reset(handle);
}

bool SkinButton::Subclass(HWND target) {
    if (!SubclassedWindow::Subclass(target)) return false;
    LONG style = GetWindowLongA(target, GWL_STYLE);
    if ((style & BS_OWNERDRAW) != BS_OWNERDRAW)
        SetWindowLongA(target, GWL_STYLE, style | BS_OWNERDRAW);
    ApplyLayoutText();
    return true;
}

void SkinButton::ApplyLayoutText() {
    char text[128] = {};
    GetWindowTextA(window, text, sizeof text);
    LayoutBox box;
    if (!ParseLayoutText(text, box, &IsLeadByte)) return;
    MoveWindow(window, box.x, box.y, box.w, box.h, TRUE);
    // The rectangle has done its work: what a screen reader reads, and where the dialog
    // manager looks for the mnemonic, is the caption.
    std::string caption = LayoutCaption(text, &IsLeadByte);
    if (caption != text) SetWindowTextA(window, caption.c_str());
}

bool SkinButton::MessageTable(HWND target, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) {
    switch (message) {
    case WM_SETCURSOR:
        OnSetCursor();
        result = 1;
        return true;
    case WM_ERASEBKGND:
    case WM_MEASUREITEM:
        result = 1;  // nothing painted: the dialog's picture shows through
        return true;
    case WM_DRAWITEM:
        OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = 1;
        return true;
    case WM_GETDLGCODE:
        result = OnGetDlgCode(reinterpret_cast<const MSG*>(lParam),
                              CallPrevious(target, message, wParam, lParam));
        return true;
    case WM_KEYDOWN:
        OnKeyDown(wParam, lParam);
        return false;  // the button's own handling (Space) goes on as usual
    case WM_DESTROY:
        OnDestroy();
        result = 1;
        return true;
    default:
        return false;
    }
}

void SkinButton::OnSetCursor() {
    if (cursor) SetCursor(cursor.get());
}

// An owner-drawn button is never the dialog's default push button, so the dialog manager
// would turn Enter into IDOK, which no screen handles. The button asks for that one key
// itself (the documented use of DLGC_WANTMESSAGE) and presses itself on it.
LRESULT SkinButton::OnGetDlgCode(const MSG* message, LRESULT previous) {
    return IsEnterKeyDown(message) ? previous | DLGC_WANTMESSAGE : previous;
}

void SkinButton::OnKeyDown(WPARAM key, LPARAM flags) {
    const LPARAM kWasDown = 1 << 30;  // auto-repeat of a held key: one press only
    if (key != VK_RETURN || (flags & kWasDown) || !IsWindowEnabled(window)) return;
    SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), BN_CLICKED),
                 reinterpret_cast<LPARAM>(window));
}

void SkinButton::OnDrawItem(const DRAWITEMSTRUCT* item) {
    if (!item) return;
    if (plainFace) {
        DrawPlainFace(item);
    } else if (ShouldDrawFocusRect(item->itemState, item->itemAction, lastState, lastAction,
                                   showFocus != 0)) {
        DrawFocusRect(item->hDC, &item->rcItem);
    }
    lastAction = item->itemAction;
    lastState = item->itemState;
}

void SkinButton::DrawPlainFace(const DRAWITEMSTRUCT* item) {
    HDC dc = item->hDC;
    RECT face = item->rcItem;
    bool pushed = (item->itemState & ODS_SELECTED) != 0;
    bool disabled = (item->itemState & ODS_DISABLED) != 0;
    DrawFrameControl(dc, &face, DFC_BUTTON,
                     DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0) | (disabled ? DFCS_INACTIVE : 0));
    char caption[128] = {};
    GetWindowTextA(window, caption, sizeof caption);
    auto font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    SelectedObject selected(dc, font ? static_cast<HGDIOBJ>(font)
                                     : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    RECT text = face;
    if (pushed) OffsetRect(&text, 1, 1);
    UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (item->itemState & ODS_NOACCEL) format |= DT_HIDEPREFIX;
    DrawTextA(dc, caption, -1, &text, format);
    if ((item->itemState & ODS_FOCUS) && showFocus && !disabled) {
        InflateRect(&face, -4, -4);
        DrawFocusRect(dc, &face);
    }
}

void SkinButton::OnDestroy() { cursor.reset(); }
