#include "screens/skin_screen.h"

#include "core/result_codes.h"
#include "screens/confirm_exit_dialog.h"

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

void SkinScreen::OnCommand(int id) {
    if (id == IDC_PROCEED)
        EndScreen(IDC_PROCEED);
    else if (id == IDCANCEL && UserConfirmsExit(window))
        EndScreen(IDCANCEL);
}
