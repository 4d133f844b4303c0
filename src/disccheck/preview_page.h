// The preview page, index.html: the disc check's report and, for each set of users who
// get the same screens, the pictures of those screens, the pages each user gets and the
// layout drawn over every screen. Portable: the Win32 side draws and writes the pictures
// and passes their file names in. Texts are in the ANSI code page, as the report's.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "disccheck/disc_report.h"
#include "disccheck/screen_layout.h"

struct ScreenPicture {
    std::string screen;      // "splash", "welcome", ...
    std::string file;        // picture in the output folder; empty: none, see reason
    int width = 0, height = 0;
    int clientX = 0, clientY = 0;  // where the client area's (0, 0) lies in the picture
    std::string layoutFile;  // the same with the layout drawn over it
    int layoutWidth = 0, layoutHeight = 0;
    int layoutClientX = 0, layoutClientY = 0;
    std::string reason;      // why there is no picture
    std::string note;        // what the picture shows beyond the screen itself
    ScreenLayout layout;
};

// A page or file a user gets: shown as its name, linked where it can be.
struct PageLink {
    std::string what;    // "first visit", "error page 0x806D0101", ...
    std::string target;  // as the description names it; empty: none
    std::string href;    // empty: not linked
    bool missing = false;
};

struct PreviewGroup {
    std::string user;
    unsigned langId = 0;
    std::string section;
    std::vector<PageLink> pages;
};

struct PictureSet {
    std::string anchor;                 // "set1"
    std::string resources;              // the library the screens come from
    std::vector<std::string> notes;
    std::vector<PreviewGroup> groups;   // everyone who sees these screens
    std::vector<ScreenPicture> screens; // in the order of a run
};

std::string PreviewPage(const DiscReport& report, const std::vector<PictureSet>& sets);

// Text for HTML content and attribute values.
std::string HtmlText(const std::string& text);

// A link from a page in `fromFolder` to the file `target`, both full Windows paths: relative
// on the same drive or share (so the page and the disc can move together), else a file
// address. Blanks, "#", "%" and "?" are escaped; other bytes stay as they are.
std::string RelativeLink(const std::string& fromFolder, const std::string& target);
