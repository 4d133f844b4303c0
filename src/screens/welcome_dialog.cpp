#include "screens/welcome_dialog.h"

#include "core/result_codes.h"
#include "screens/confirm_exit_dialog.h"
#include "screens/screen_ids.h"

WelcomeDialog::WelcomeDialog() : SkinDialog(IDD_WELCOME) {}

bool WelcomeDialog::MessageTable(HWND, UINT message, WPARAM wParam, LPARAM lParam,
                                 LRESULT& result, int mapId) {
    if (mapId != 0) return false;
    switch (message) {
    case WM_INITDIALOG:
        result = OnInitDialog();
        return true;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return true;
    case WM_ERASEBKGND:
        result = PaintBackground(reinterpret_cast<HDC>(wParam));
        return true;
    default:
        return false;
    }
}

LRESULT WelcomeDialog::OnInitDialog() {
    LoadBackgroundFromTitle();
    SetTitleFromString(IDS_SETUP_TITLE);
    SetSmallIcon();
    SubclassButtons({IDC_PROCEED, IDCANCEL});
    SetButtonCursor({IDR_HAND_CURSOR});
    CreateFocusSink();
    return FALSE;
}

void WelcomeDialog::OnCommand(int id) {
    if (id == IDC_PROCEED)
        EndScreen(IDC_PROCEED);
    else if (id == IDCANCEL && UserConfirmsExit())
        EndScreen(IDCANCEL);
}
