// The licence agreement screen: the licence text from a file on the disc in a light
// panel under the painted heading; Accept (1008) or a confirmed stop (2).
#pragma once

#include <string>

#include "screens/colored_control.h"
#include "screens/skin_screen.h"

class LicenseDialog : public SkinScreen {
public:
    LicenseDialog();

    bool MessageTable(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                      int mapId) override;

    // Set before ShowModal: as given (current folder), else next to the program.
    std::string licenseFile;
    ColoredControl licenseText;

    // The licence shows at most this many bytes; the buffer keeps one more for the end.

private:
    LRESULT OnInitDialog() override;
    bool OnLicenseTextMessage(UINT message, LRESULT& result);
    void LoadLicenseText();
};
