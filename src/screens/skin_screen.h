// A skinned screen whose message table is the common one: set-up on WM_INITDIALOG, button
// presses by id on WM_COMMAND, the background picture on WM_ERASEBKGND (the system's
// erase when there is no picture). The buttons are those of a step of the installation
// unless the screen says otherwise: Continue (1008) ends the screen with its id; Cancel,
// Escape and the close box (2) end it only once the user has confirmed the stop.
#pragma once

#include "screens/skin_dialog.h"

class SkinScreen : public SkinDialog {
public:
    using SkinDialog::SkinDialog;

    bool MessageTable(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                      int mapId) override;

protected:
    virtual LRESULT OnInitDialog() = 0;
    virtual void OnCommand(int id);
};
