#include "screens/welcome_dialog.h"

#include "core/product.h"
#include "core/result_codes.h"
#include "screens/confirm_exit_dialog.h"

WelcomeDialog::WelcomeDialog() : SkinScreen(IDD_WELCOME) {}

LRESULT WelcomeDialog::OnInitDialog() {
    LoadBackgroundFromTitle();
    SetTitleFromString(IDS_SETUP_TITLE);
    SetSmallIcon();
    SubclassButtons({IDC_PROCEED, IDCANCEL});
    SetButtonCursor({IDR_HAND_CURSOR});
    CreateFocusSink();
    return FALSE;
}
