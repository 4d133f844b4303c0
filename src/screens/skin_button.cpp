#include "screens/skin_button.h"

#include "screens/skin_layout.h"

namespace {
bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }
}  // namespace

SkinButton::~SkinButton() {
    // Normally gone with the window; a button object dropped while its window lives
    // must not leak the cursor either.
    if (cursor) DestroyCursor(cursor);
}

void SkinButton::SetCursorHandle(HCURSOR handle) {
    if (cursor && cursor != handle) DestroyCursor(cursor);
    cursor = handle;
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
    if (ParseLayoutText(text, box, &IsLeadByte)) MoveWindow(window, box.x, box.y, box.w, box.h, TRUE);
}

bool SkinButton::MessageTable(HWND, UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
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
    case WM_DESTROY:
        OnDestroy();
        result = 1;
        return true;
    default:
        return false;
    }
}

void SkinButton::OnSetCursor() {
    if (cursor) SetCursor(cursor);
}

void SkinButton::OnDrawItem(const DRAWITEMSTRUCT* item) {
    if (!item) return;
    if (ShouldDrawFocusRect(item->itemState, item->itemAction, lastState, lastAction,
                            showFocus != 0))
        DrawFocusRect(item->hDC, &item->rcItem);
    lastAction = item->itemAction;
    lastState = item->itemState;
}

void SkinButton::OnDestroy() {
    if (cursor) DestroyCursor(cursor);
    cursor = nullptr;
}
