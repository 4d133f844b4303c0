// The checks of one resource library: the skinned screens' templates with their
// backgrounds and button layouts, the strings, the icon and the cursor.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/product.h"
#include "disccheck/disc_check.h"
#include "disccheck/disc_files.h"
#include "disccheck/disc_rules.h"
#include "disccheck/screen_layout.h"
#include "screens/dialog_template.h"
#include "screens/skin_layout.h"

namespace {

// What each screen needs of its template besides its art (core/product.h): the buttons
// laid out over the background and the static controls whose rectangle text places
// another control.
struct ScreenNeeds {
    unsigned templateId;
    const char* screen;
    std::vector<unsigned> buttons;
    std::vector<unsigned> rectangleStatics;
    std::vector<unsigned> otherControls;
};

const ScreenNeeds kScreens[] = {
    {IDD_LICENSE, "licence screen", {IDC_PROCEED, IDCANCEL}, {IDC_LICENSE_RECT}, {IDC_LICENSE_TEXT}},
    {IDD_CONFIRM_EXIT, "stop question", {IDCANCEL, IDC_PROCEED}, {}, {}},
    {IDD_WELCOME, "welcome screen", {IDC_PROCEED, IDCANCEL}, {}, {}},
    {IDD_SPLASH, "splash", {}, {}, {IDC_SPLASH_CLIP}},
    {IDD_PROGRESS, "progress screen", {IDCANCEL}, {IDC_PROGRESS_RECT}, {IDC_PROGRESS_BAR}},
};

// A template text as the window shows it to the ANSI functions (GetWindowTextA).
std::string Ansi(const std::string& utf8) { return Recode(utf8, CP_UTF8, CP_ACP); }

class LibraryChecker {
public:
    LibraryChecker(const std::string& name, const DataLibrary& library, const std::string& users, DiscReport& report)
        : name_(name), library_(library), users_(users), report_(report) {}

    void Run() {
        for (const ScreenNeeds& screen : kScreens) CheckScreen(screen);
        const ScreenArt& still = ScreenArtOf(IDD_SPLASH);
        CheckBitmap(still.bitmapId, still.width, still.height, "the splash's still picture");
        CheckStrings();
        if (!library_.Resource(IDI_SETUP, RT_GROUP_ICON)) Error("icon " + std::to_string(IDI_SETUP), "missing: the screens and the task bar show no set-up icon");
        if (!library_.Resource(IDR_HAND_CURSOR, RT_GROUP_CURSOR)) Error("cursor " + std::to_string(IDR_HAND_CURSOR), "missing: the buttons show no hand cursor");
    }

private:
    void Error(const std::string& what, const std::string& message) {
        report_.Add(Severity::Error, "libraries", name_ + " " + what, message + " (" + users_ + ")");
    }
    void Warning(const std::string& what, const std::string& message) {
        report_.Add(Severity::Warning, "libraries", name_ + " " + what, message + " (" + users_ + ")");
    }

    // The bitmap's size, or false when it is missing or cannot be drawn.
    bool CheckBitmap(unsigned id, int width, int height, const std::string& use) {
        const std::string what = "bitmap " + std::to_string(id);
        std::optional<std::string> bytes = library_.Resource(id, RT_BITMAP);
        if (!bytes) {
            Error(what, "missing: " + use + " has no picture");
            return false;
        }
        DibFacts facts = ReadDibFacts(*bytes);
        if (!facts.problem.empty()) {
            Error(what, facts.problem);
            return false;
        }
        if (facts.width != width || facts.height != height) {
            Error(what, std::to_string(facts.width) + " x " + std::to_string(facts.height) + ", but " + use +
                            " is drawn for " + std::to_string(width) + " x " + std::to_string(height));
            return false;
        }
        return true;
    }

    void CheckScreen(const ScreenNeeds& screen) {
        const std::string what = "template " + std::to_string(screen.templateId);
        std::optional<std::string> bytes = library_.Resource(screen.templateId, RT_DIALOG);
        DialogTemplate dialog;
        if (!bytes) {
            Error(what, std::string("missing: the ") + screen.screen + " cannot open");
            return;
        }
        if (!ParseDialogTemplate(reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size(), dialog)) {
            Error(what, std::string("is no dialog template: the ") + screen.screen + " cannot open");
            return;
        }
        const ScreenArt& art = ScreenArtOf(screen.templateId);
        int width = 0, height = 0;  // the splash has no background to hold controls against
        if (art.skinned) {
            width = art.width;
            height = art.height;
            // The screen loads the bitmap whose number is its title (atoi of the title).
            std::string title = Ansi(dialog.title);
            unsigned named = static_cast<unsigned>(std::atoi(title.c_str()));
            if (named != art.bitmapId) {
                Error(what, "title \"" + title + "\" names bitmap " + std::to_string(named) + "; the " + screen.screen +
                                " is drawn on " + std::to_string(art.bitmapId));
            }
            if (!CheckBitmap(named ? named : art.bitmapId, width, height, std::string("the ") + screen.screen)) {
                width = height = 0;  // no size to hold the buttons against
            }
        }
        auto find = [&](unsigned id) -> const DialogControl* {
            for (const DialogControl& control : dialog.controls) {
                if (control.id == id) return &control;
            }
            return nullptr;
        };
        std::vector<std::pair<std::string, LayoutBox>> placed;  // what, where
        for (unsigned id : screen.buttons) {
            const std::string button = what + " button " + std::to_string(id);
            const DialogControl* control = find(id);
            if (!control) {
                Error(button, std::string("missing from the ") + screen.screen);
                continue;
            }
            std::string text = Ansi(control->text.text);
            LayoutBox box;
            if (!ParseLayoutText(text, box, IsAnsiLeadByte)) {
                Error(button, "layout text \"" + text + "\" does not parse: the button stays where the template puts it");
                continue;
            }
            if (width && !BoxInside(box, width, height)) {
                Error(button, "layout " + BoxText(box) + " lies outside its " + std::to_string(width) + " x " +
                                  std::to_string(height) + " background");
            }
            placed.push_back({button, box});
        }
        for (unsigned id : screen.rectangleStatics) {
            const std::string statik = what + " control " + std::to_string(id);
            const DialogControl* control = find(id);
            LayoutBox box;
            std::string text = control ? Ansi(control->text.text) : std::string();
            if (!control) {
                Error(statik, std::string("missing: nothing places the ") + screen.screen + "'s panel");
            } else if (!ParseRectangleText(text, box)) {
                Error(statik, "rectangle text \"" + text + "\" does not parse: the panel keeps its template place");
            } else {
                if (width && !BoxInside(box, width, height)) {
                    Error(statik, "rectangle " + BoxText(box) + " lies outside its " + std::to_string(width) + " x " +
                                      std::to_string(height) + " background");
                }
                placed.push_back({statik, box});
            }
        }
        // Buttons and panels over one another: a click where they meet reaches one of them.
        for (std::size_t i = 0; i < placed.size(); ++i) {
            for (std::size_t j = i + 1; j < placed.size(); ++j) {
                if (!BoxesOverlap(placed[i].second, placed[j].second)) continue;
                std::string other = placed[i].first.substr(what.size() + 1);  // "button 1008"
                Error(placed[j].first, "rectangle " + BoxText(placed[j].second) + " overlaps " + other + " " +
                                           BoxText(placed[i].second) + ": where they meet, a click reaches only the one on top");
            }
        }
        for (unsigned id : screen.otherControls) {
            if (!find(id)) Error(what + " control " + std::to_string(id), std::string("missing from the ") + screen.screen);
        }
    }

    bool HasString(unsigned id) {
        std::optional<std::string> block = library_.Resource(id / 16 + 1, RT_STRING);
        return block && StringBlockHasEntry(*block, id % 16);
    }

    void CheckStrings() {
        if (!HasString(IDS_SETUP_TITLE)) Error("string " + std::to_string(IDS_SETUP_TITLE), "missing: without the set-up's title the set-up ends at once");
        if (!HasString(IDS_MANAGER_NAME)) Warning("string " + std::to_string(IDS_MANAGER_NAME), "missing: the kit's manager is recorded without a name");
        // Desktop shortcut names, old and new: a new name missing renames the shortcut to a
        // bare ".lnk"; an old one missing only leaves that shortcut alone.
        std::string unnamed, unlooked;
        for (unsigned n = 0; n < IDS_SHORTCUT_COUNT; ++n) {
            unsigned oldId = IDS_SHORTCUT_OLD_FIRST + n, newId = IDS_SHORTCUT_NEW_FIRST + n;
            bool old = HasString(oldId), renamed = HasString(newId);
            std::string pair = std::to_string(oldId) + "/" + std::to_string(newId);
            if (old && !renamed) unnamed += (unnamed.empty() ? "" : ", ") + pair;
            if (!old) unlooked += (unlooked.empty() ? "" : ", ") + pair;
        }
        if (!unnamed.empty()) {
            Error("strings " + unnamed, "retitling pairs without their new name: the shortcut would be renamed to \".lnk\"");
        }
        if (!unlooked.empty()) {
            Warning("strings " + unlooked, "retitling pairs incomplete: those desktop shortcuts keep their install name");
        }
    }

    const std::string& name_;
    const DataLibrary& library_;
    const std::string& users_;
    DiscReport& report_;
};

}  // namespace

void CheckResourceLibrary(const std::string& name, const DataLibrary& library, const std::string& users,
                          DiscReport& report) {
    LibraryChecker(name, library, users, report).Run();
}
