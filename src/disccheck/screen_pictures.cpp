#include "disccheck/screen_pictures.h"

#include <commctrl.h>

#include <cstdlib>
#include <exception>
#include <optional>

#include "core/module_state.h"
#include "core/product.h"
#include "disccheck/disc_files.h"
#include "disccheck/disc_rules.h"
#include "screens/confirm_exit_dialog.h"
#include "screens/dialog_template.h"
#include "screens/license_dialog.h"
#include "screens/splash_dialog.h"
#include "screens/welcome_dialog.h"
#include "setup/progress_dialog.h"

namespace {

constexpr int kProgressPosition = 60;  // of 150: a run part-way, before the timer stops at 120

// The screen's resource library while the screens are drawn, and a hidden window that owns
// them as the set-up's hidden main window does.
class ScreenScope {
public:
    explicit ScreenScope(HMODULE resources) {
        module::SetResourceInstance(resources);
        module::SetSetupIcon(LoadIconA(resources, MAKEINTRESOURCEA(IDI_SETUP)));
        owner_ = CreateWindowExA(0, "Static", "", WS_POPUP, -1000, -1000, 1, 1, nullptr, nullptr,
                                 module::ProgramInstance(), nullptr);
    }
    ~ScreenScope() {
        if (owner_) DestroyWindow(owner_);
        module::SetSetupIcon(nullptr);
        module::SetResourceInstance(nullptr);
    }
    ScreenScope(const ScreenScope&) = delete;
    ScreenScope& operator=(const ScreenScope&) = delete;
    HWND owner() const { return owner_; }

private:
    HWND owner_ = nullptr;
};

// A screen window of this preview, destroyed at scope exit.
class ScreenWindow {
public:
    explicit ScreenWindow(HWND window = nullptr) : window_(window) {}
    ~ScreenWindow() { reset(); }
    ScreenWindow(const ScreenWindow&) = delete;
    ScreenWindow& operator=(const ScreenWindow&) = delete;
    HWND get() const { return window_; }
    void reset(HWND window = nullptr) {
        if (window_ && IsWindow(window_)) DestroyWindow(window_);
        window_ = window;
    }

private:
    HWND window_;
};

class Painter {
public:
    explicit Painter(const ScreenSource& source) : source_(source), scope_(source.resources->Module()) {}

    std::vector<DrawnScreen> Run() {
        std::vector<DrawnScreen> shots(5);
        const char* names[] = {"splash", "welcome", "licence", "progress", "stop question"};
        for (int i = 0; i < 5; ++i) shots[i].screen = names[i];
        Guarded(shots[0], [&] { Splash(shots[0]); });
        Guarded(shots[1], [&] { WelcomeAndQuestion(shots[1], shots[4]); });
        Guarded(shots[2], [&] { Licence(shots[2]); });
        Guarded(shots[3], [&] { Progress(shots[3]); });
        return shots;
    }

private:
    // A screen that fails to draw is an entry without a picture, never the end of the preview.
    template <typename Body>
    static void Guarded(DrawnScreen& shot, Body&& body) {
        try {
            body();
        } catch (const std::exception& error) {
            shot.picture.reset();
            shot.reason = std::string("drawing it failed: ") + error.what();
        } catch (...) {
            shot.picture.reset();
            shot.reason = "drawing it failed";
        }
    }

    std::string In() const { return " in " + source_.resourcesName; }

    // Why a template cannot make the screen, or nothing; bitmap receives the number in its
    // title when it must have a background.
    std::string TemplateProblem(int templateId, bool skinned, int& bitmap) const {
        std::optional<std::string> bytes = source_.resources->Resource(templateId, RT_DIALOG);
        DialogTemplate parsed;
        if (!bytes) return "template " + std::to_string(templateId) + " is missing" + In() + ": the set-up ends here";
        if (!ParseDialogTemplate(reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size(), parsed))
            return "template " + std::to_string(templateId) + " is no dialog template" + In() + ": the set-up ends here";
        if (!skinned) return std::string();
        bitmap = std::atoi(parsed.title.c_str());
        std::optional<std::string> dib = source_.resources->Resource(bitmap, RT_BITMAP);
        const std::string plain = ": these users get a plain window without the painted texts and faces";
        if (!dib) return "bitmap " + std::to_string(bitmap) + " is missing" + In() + plain;
        DibFacts facts = ReadDibFacts(*dib);
        if (!facts.problem.empty()) return "bitmap " + std::to_string(bitmap) + In() + ": " + facts.problem + plain;
        return std::string();
    }

    // Creates a skinned screen hidden; false with the reason when it cannot be drawn.
    bool Create(SkinDialog& screen, HWND owner, DrawnScreen& shot, ScreenWindow& window) const {
        int bitmap = 0;
        shot.reason = TemplateProblem(screen.TemplateId(), true, bitmap);
        if (!shot.reason.empty()) return false;
        window.reset(screen.CreateHidden(owner));
        if (!window.get()) {
            shot.reason = "the dialog of template " + std::to_string(screen.TemplateId()) + " cannot be created" +
                          In() + ": the set-up ends here";
            return false;
        }
        if (!screen.background.Loaded()) {
            shot.reason = "bitmap " + std::to_string(bitmap) + " does not load" + In() +
                          ": these users get a plain window without the painted texts and faces";
            return false;
        }
        return true;
    }

    static ScreenLayout ReadLayout(HWND dialog, int width, int height) {
        ScreenLayout layout;
        layout.width = width;
        layout.height = height;
        int tabStops = 0;
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            LONG style = GetWindowLongA(child, GWL_STYLE);
            if (!(style & WS_VISIBLE)) continue;
            bool tabStop = (style & WS_TABSTOP) && !(style & WS_DISABLED);
            if (tabStop) ++tabStops;
            LayoutItem item;
            item.id = static_cast<unsigned>(GetDlgCtrlID(child));
            char text[128] = {};
            GetWindowTextA(child, text, sizeof text);
            char className[32] = {};
            GetClassNameA(child, className, sizeof className);
            if (lstrcmpiA(className, "Button") == 0 && (style & BS_TYPEMASK) == BS_OWNERDRAW) {
                item.kind = "button";
                item.name = text;
                item.mnemonic = MnemonicOf(text, IsAnsiLeadByte);
            } else if (item.id == IDC_LICENSE_TEXT || item.id == IDC_PROGRESS_BAR || item.id == IDC_SPLASH_CLIP) {
                item.kind = "panel";
                item.name = item.id == IDC_LICENSE_TEXT ? "licence text" : item.id == IDC_PROGRESS_BAR ? "progress bar" : "clip";
            } else {
                continue;  // the focus sink, the text's frame
            }
            item.tabPosition = tabStop ? tabStops : 0;
            RECT r = {};
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
            item.box = {r.left, r.top, r.right - r.left, r.bottom - r.top};
            layout.items.push_back(item);
        }
        MarkLayoutFaults(layout);
        return layout;
    }

    // The screen as the user sees it when it is the active window.
    static void Capture(HWND window, int width, int height, DrawnScreen& shot) {
        SendMessageA(window, WM_NCACTIVATE, TRUE, 0);
        shot.picture = PrintWindowPicture(window);
        if (!shot.picture) {
            shot.reason = "no bitmap could be made for the picture";
            return;
        }
        shot.clientOrigin = ClientOrigin(window);
        shot.layout = ReadLayout(window, width, height);
    }

    void Splash(DrawnScreen& shot) {
        int none = 0;
        shot.reason = TemplateProblem(IDD_SPLASH, false, none);
        if (!shot.reason.empty()) return;
        SplashDialog splash(source_.rootNode, source_.selectedNode);
        splash.clipFolder = source_.discFolder;
        ScreenWindow window(splash.CreateHidden(scope_.owner()));
        if (!window.get()) {
            shot.reason = "the splash's dialog cannot be created" + In();
            return;
        }
        if (splash.clipOpen) {
            // The clip's first frame: stopped, then shown alone (the documented Animate_Seek).
            SendDlgItemMessageA(window.get(), IDC_SPLASH_CLIP, ACM_STOP, 0, 0);
            SendDlgItemMessageA(window.get(), IDC_SPLASH_CLIP, ACM_PLAY, 1, MAKELONG(0, 0));
            shot.note = "the clip's first frame";
        } else if (splash.stillPicture.Loaded()) {
            shot.note = "no clip plays: the still picture 224";
        } else {
            shot.reason = "no clip plays and bitmap 224 does not load" + In() +
                          ": the splash is an empty window for six seconds";
            return;
        }
        RECT client = {};
        GetClientRect(window.get(), &client);
        Capture(window.get(), client.right, client.bottom, shot);
    }

    void WelcomeAndQuestion(DrawnScreen& shot, DrawnScreen& questionShot) {
        WelcomeDialog welcome;
        ScreenWindow window;
        if (!Create(welcome, scope_.owner(), shot, window)) {
            questionShot.reason = "the welcome screen it is asked over has no picture";
            return;
        }
        Capture(window.get(), welcome.background.width, welcome.background.height, shot);
        Guarded(questionShot, [&] { Question(welcome, questionShot); });
    }

    // The stop question over the welcome screen that asks it, placed as in a run.
    void Question(const WelcomeDialog& welcome, DrawnScreen& shot) {
        ConfirmExitDialog question;
        ScreenWindow window;
        if (!Create(question, welcome.window, shot, window)) return;
        RECT below = {}, above = {}, all = {};
        GetWindowRect(welcome.window, &below);
        GetWindowRect(window.get(), &above);
        UnionRect(&all, &below, &above);
        auto canvas = std::make_unique<Canvas>(all.right - all.left, all.bottom - all.top, RGB(255, 255, 255));
        if (!*canvas) {
            shot.reason = "no bitmap could be made for the picture";
            return;
        }
        // The asking screen is the question's disabled owner: its caption shows inactive.
        SendMessageA(welcome.window, WM_NCACTIVATE, FALSE, 0);
        PrintWindowTree(welcome.window, *canvas, {below.left - all.left, below.top - all.top});
        SendMessageA(window.get(), WM_NCACTIVATE, TRUE, 0);
        POINT at = {above.left - all.left, above.top - all.top};
        PrintWindowTree(window.get(), *canvas, at);
        GdiFlush();
        POINT client = ClientOrigin(window.get());
        shot.clientOrigin = {at.x + client.x, at.y + client.y};
        shot.layout = ReadLayout(window.get(), question.background.width, question.background.height);
        shot.picture = std::move(canvas);
    }

    void Licence(DrawnScreen& shot) {
        LicenseDialog licence;
        licence.licenseFile = source_.licenceFile;
        ScreenWindow window;
        if (!Create(licence, scope_.owner(), shot, window)) return;
        Capture(window.get(), licence.background.width, licence.background.height, shot);
    }

    void Progress(DrawnScreen& shot) {
        ProgressDialog progress{std::string()};
        ScreenWindow window;
        if (!Create(progress, scope_.owner(), shot, window)) return;
        SendDlgItemMessageA(window.get(), IDC_PROGRESS_BAR, PBM_SETPOS, kProgressPosition, 0);
        shot.note = "the bar part-way, as the timer moves it";
        Capture(window.get(), progress.background.width, progress.background.height, shot);
    }

    const ScreenSource& source_;
    ScreenScope scope_;
};

}  // namespace

std::vector<DrawnScreen> DrawScreens(const ScreenSource& source) { return Painter(source).Run(); }
