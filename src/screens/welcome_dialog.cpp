#include "screens/welcome_dialog.h"

#include "core/result_codes.h"
#include "screens/screen_ids.h"

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
