// The stop question: "do you really want to stop?" over the asking screen. Exit face
// (1008) confirms, Go Back face (2), Escape and the close box go back.
#pragma once

#include "screens/skin_screen.h"

class ConfirmExitDialog : public SkinScreen {
public:
    ConfirmExitDialog();

private:
    LRESULT OnInitDialog() override;
    void OnCommand(int id) override;
};

// Asks the question over the asking screen; true when the user confirmed the stop or the
// question could not be shown, false when he chose to go back.
bool UserConfirmsExit(HWND askingScreen);
