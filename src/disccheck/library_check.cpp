// The checks of one resource library: the skinned screens' templates with their
// backgrounds and button layouts, the strings, the icon and the cursor.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "disccheck/disc_check.h"
#include "disccheck/disc_files.h"
#include "disccheck/disc_rules.h"
#include "disccheck/screen_layout.h"
#include "screens/dialog_template.h"
#include "screens/screen_ids.h"
#include "screens/skin_layout.h"

namespace {

constexpr unsigned kProceed = 1008;
constexpr unsigned kCancel = 2;

// What each screen needs of its template: the background the artwork was drawn for, the
// buttons laid out over it and the static controls whose rectangle text places another
// control.
struct ScreenNeeds {
    unsigned templateId;
    const char* screen;
    unsigned bitmap;  // 0: no background (the splash)
    int width, height;
    std::vector<unsigned> buttons;
    std::vector<unsigned> rectangleStatics;
    std::vector<unsigned> otherControls;
};

const ScreenNeeds kScreens[] = {
    {IDD_LICENSE, "licence screen", IDB_LICENSE, 474, 386, {kProceed, kCancel}, {IDC_LICENSE_RECT}, {IDC_LICENSE_TEXT}},
    {IDD_CONFIRM_EXIT, "stop question", IDB_CONFIRM_EXIT, 389, 283, {kCancel, kProceed}, {}, {}},
    {IDD_WELCOME, "welcome screen", IDB_WELCOME, 474, 386, {kProceed, kCancel}, {}, {}},
    {IDD_SPLASH, "splash", 0, 0, 0, {}, {}, {IDC_SPLASH_CLIP}},
    {IDD_PROGRESS, "progress screen", IDB_PROGRESS, 389, 283, {kCancel}, {IDC_PROGRESS_RECT}, {IDC_PROGRESS_BAR}},
};

// The splash's still picture, shown when no clip plays.
constexpr int kSplashWidth = 450, kSplashHeight = 340;

// A template text as the window shows it to the ANSI functions (GetWindowTextA).
std::string Ansi(const std::string& utf8) { return Recode(utf8, CP_UTF8, CP_ACP); }

class LibraryChecker {
public:
    LibraryChecker(const std::string& name, const DataLibrary& library, const std::string& users, DiscReport& report)
        : name_(name), library_(library), users_(users), report_(report) {}

    void Run() {
        for (const ScreenNeeds& screen : kScreens) CheckScreen(screen);
        CheckBitmap(IDB_SPLASH, kSplashWidth, kSplashHeight, "the splash's still picture");
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
        int width = screen.width, height = screen.height;
        if (screen.bitmap) {
            // The screen loads the bitmap whose number is its title (atoi of the title).
            std::string title = Ansi(dialog.title);
            unsigned named = static_cast<unsigned>(std::atoi(title.c_str()));
            if (named != screen.bitmap) {
                Error(what, "title \"" + title + "\" names bitmap " + std::to_string(named) + "; the " + screen.screen +
                                " is drawn on " + std::to_string(screen.bitmap));
            }
            if (!CheckBitmap(named ? named : screen.bitmap, width, height, std::string("the ") + screen.screen)) {
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
        if (!HasString(1001)) Error("string 1001", "missing: without the set-up's title the set-up ends at once");
        if (!HasString(1007)) Warning("string 1007", "missing: the kit's manager is recorded without a name");
        // Desktop shortcut names, old (n) and new (n + 11): a new name missing renames the
        // shortcut to a bare ".lnk"; an old one missing only leaves that shortcut alone.
        std::string unnamed, unlooked;
        for (unsigned n = 5000; n <= 5010; ++n) {
            bool old = HasString(n), renamed = HasString(n + 11);
            std::string pair = std::to_string(n) + "/" + std::to_string(n + 11);
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
