// The welcome screen: what will be installed; Continue (1008) or a confirmed stop (2).
#pragma once

#include "screens/skin_screen.h"

class WelcomeDialog : public SkinScreen {
public:
    WelcomeDialog();

private:
    LRESULT OnInitDialog() override;
};
