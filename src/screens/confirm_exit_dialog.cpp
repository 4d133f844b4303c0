#include "screens/confirm_exit_dialog.h"

#include "core/result_codes.h"
#include "screens/screen_ids.h"

ConfirmExitDialog::ConfirmExitDialog() : SkinDialog(IDD_CONFIRM_EXIT) {}

bool ConfirmExitDialog::MessageTable(HWND, UINT message, WPARAM wParam, LPARAM lParam,
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

LRESULT ConfirmExitDialog::OnInitDialog() {
    LoadBackgroundFromTitle();
    SetTitleFromString(IDS_SETUP_TITLE);
    SetSmallIcon();
    SubclassButtons({IDC_PROCEED, IDCANCEL});
    SetButtonCursor({IDR_HAND_CURSOR});
    // Bottom-right corner 20 pixels inside the asking screen's.
    PlaceWindow(3, -20, -20);
    CreateFocusSink();
    return FALSE;
}

void ConfirmExitDialog::OnCommand(int id) {
    if (id == IDC_PROCEED || id == IDCANCEL) EndScreen(id);
}

bool UserConfirmsExit() {
    ConfirmExitDialog question;
    return question.ShowModal(GetActiveWindow()) == IDC_PROCEED;
}
