#include "screens/skin_screen.h"

bool SkinScreen::MessageTable(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result,
                              int mapId) {
    if (mapId != 0) return false;
    switch (message) {
    case WM_INITDIALOG:
        result = OnInitDialog();
        return true;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return true;
    case WM_ERASEBKGND:
        return EraseBackground(reinterpret_cast<HDC>(wParam), result);
    default:
        return false;
    }
}
