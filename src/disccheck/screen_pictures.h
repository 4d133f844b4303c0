// The screens of one set of users drawn by the set-up's own screen code (win32 build): each
// created hidden from the set's resource library, set up as in a run, printed into a
// picture and read for its layout. No screen is shown, no timer or worker runs, nothing
// is written to the registry.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "disccheck/screen_layout.h"
#include "disccheck/window_picture.h"

class DataLibrary;
class XmlNode;

struct ScreenSource {
    const DataLibrary* resources = nullptr;  // the library, mapped as data
    std::string resourcesName;               // as the report names it
    std::string licenceFile;                 // full path; empty: none
    std::string discFolder;                  // where the splash looks for its clip
    XmlNode* rootNode = nullptr;             // of the setup description, for the splash's clip
    XmlNode* selectedNode = nullptr;
};

struct DrawnScreen {
    std::string screen;
    std::unique_ptr<Canvas> picture;  // none: see reason
    POINT clientOrigin = {0, 0};      // of the screen whose layout is given, in the picture
    ScreenLayout layout;
    std::string reason;
    std::string note;
};

// Splash, welcome, licence, progress and the stop question over the welcome, in that order.
std::vector<DrawnScreen> DrawScreens(const ScreenSource& source);
