// The welcome screen: what will be installed; Continue (1008) or a confirmed stop (2).
#pragma once

#include "screens/skin_dialog.h"

class WelcomeDialog : public SkinDialog {
public:
    WelcomeDialog();

    bool MessageTable(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                      int mapId) override;

private:
    LRESULT OnInitDialog();
    void OnCommand(int id);
};
