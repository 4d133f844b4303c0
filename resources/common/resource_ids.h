// Resource numbers shared by the program's resources, the language resource libraries
// and the code that loads them. Plain defines: the resource compiler reads this too.
#pragma once

#define IDS_SETUP_TITLE 1001      // the set-up's title, also the main window's title
#define IDS_MANAGER_NAME 1007     // name of the kit's manager
#define IDS_SHORTCUT_OLD_FIRST 5000  // installation shortcut names, 5000-5010
#define IDS_SHORTCUT_NEW_FIRST 5011  // the names they get, 5011-5021
#define IDS_SHORTCUT_COUNT 11

#define IDI_SETUP 222             // the set-up's icon
#define IDR_HAND_CURSOR 234       // cursor shown over skinned buttons
