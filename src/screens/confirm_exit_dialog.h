// The stop question: "do you really want to stop?" over the asking screen. Exit face
// (1008) confirms, Go Back face (2), Escape and the close box go back.
#pragma once

#include "screens/skin_dialog.h"

class ConfirmExitDialog : public SkinDialog {
public:
    ConfirmExitDialog();

    bool MessageTable(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                      int mapId) override;

private:
    LRESULT OnInitDialog();
    void OnCommand(int id);
};

// Asks the question over the active window; true when the user confirmed the stop.
bool UserConfirmsExit();
