#include "screens/license_dialog.h"

#include <vector>

#include "core/handles.h"
#include "core/product.h"
#include "core/result_codes.h"
#include "core/text_value.h"
#include "description/setup_description.h"
#include "screens/confirm_exit_dialog.h"

namespace {

constexpr COLORREF kPanelColor = 0x00FEF7F9;  // very light lavender
constexpr LPARAM kPanelMargins = 0x000A000C;  // left 12, right 10 pixels

UniqueFile OpenForReading(const std::string& name) {
    return UniqueFile(CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

LicenseDialog::LicenseDialog() : SkinScreen(IDD_LICENSE), licenseText(this) {}

bool LicenseDialog::MessageTable(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 LRESULT& result, int mapId) {
    if (mapId == 1) return OnLicenseTextMessage(message, result);
    return SkinScreen::MessageTable(window, message, wParam, lParam, result, mapId);
}

LRESULT LicenseDialog::OnInitDialog() {
    LoadBackgroundFromTitle();
    licenseText.Subclass(GetDlgItem(window, IDC_LICENSE_TEXT));
    licenseText.SetBackColor(kPanelColor);
    licenseText.textColor = RGB(0, 0, 0);
    SendDlgItemMessageA(window, IDC_LICENSE_TEXT, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                        kPanelMargins);
    SetTitleFromString(IDS_SETUP_TITLE);
    SubclassButtons({IDC_PROCEED, IDCANCEL});
    SetButtonCursor({IDR_HAND_CURSOR});
    SetSmallIcon();
    LoadLicenseText();
    PlaceControlFromStatic(IDC_LICENSE_TEXT, IDC_LICENSE_RECT);
    CreateControlFrame(IDC_LICENSE_TEXT);
    CreateFocusSink();
    return FALSE;
}

void LicenseDialog::LoadLicenseText() {
    UniqueFile file = OpenForReading(licenseFile);
    if (!file) {
        std::optional<std::string> folder = ProgramFolder();
        if (!folder) return;
        file = OpenForReading(ResolvePath(*folder, licenseFile));
        if (!file) return;
    }
    // Zero-filled and one byte longer than the read, so the text always ends.
    std::vector<char> buffer(kLicenceLimit + 1, 0);
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(kLicenceLimit), &read, nullptr)) return;
    SetDlgItemTextA(window, IDC_LICENSE_TEXT, buffer.data());
    SetFocus(GetDlgItem(window, IDC_LICENSE_TEXT));
}

bool LicenseDialog::OnLicenseTextMessage(UINT message, LRESULT& result) {
    // Swallowed so that tabbing into the text does not select all of it.
    if (message != EM_SETSEL) return false;
    result = 0;
    return true;
}
