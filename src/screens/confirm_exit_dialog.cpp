#include "screens/confirm_exit_dialog.h"

#include "core/product.h"
#include "core/result_codes.h"

ConfirmExitDialog::ConfirmExitDialog() : SkinScreen(IDD_CONFIRM_EXIT) {}

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

bool UserConfirmsExit(HWND askingScreen) {
    ConfirmExitDialog question;
    // Owned by the screen that asks, whichever window is active: the screen stays disabled
    // underneath, so no second question can open over this one. A question that cannot be
    // shown at all (no template) counts as confirmed, or Cancel, Escape and the close box
    // would keep the user on the screen for ever.
    return question.ShowModal(askingScreen) != IDCANCEL;
}
