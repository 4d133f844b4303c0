// The dialog framework on real windows: sizing to the background, buttons from their
// layout texts, controls from rectangle texts, the frame, the focus sink, the colours of
// a ColoredControl, the dialog procedure's routing and the window binding.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "core/module_state.h"
#include "core/product.h"
#include "core/result_codes.h"
#include "screens/colored_control.h"
#include "screens/confirm_exit_dialog.h"
#include "screens/skin_dialog.h"
#include "screens/skin_layout.h"

namespace {

constexpr int kSkinnedTemplate = 9001;
constexpr int kMissingBitmapTemplate = 9002;
constexpr int kUntitledTemplate = 9003;
constexpr UINT kShown = WM_USER + 50;    // posted by WM_INITDIALOG: runs in the modal loop
constexpr UINT kAnswer77 = WM_USER + 60;  // handled by the table with result 77
constexpr UINT kHighMessage = WM_APP + 5;

class ProbeDialog : public SkinDialog {
public:
    explicit ProbeDialog(int templateId) : SkinDialog(templateId), colored(this) {}

    bool MessageTable(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result,
                      int mapId) override {
        if (mapId == 1) {
            ++controlMessages;
            if (message != EM_SETSEL || !swallowSetSel) return false;
            result = 0;
            return true;
        }
        switch (message) {
        case WM_INITDIALOG:
            if (init) init(*this);
            PostMessageA(window, kShown, 0, 0);
            result = FALSE;
            return true;
        case WM_ERASEBKGND:
            return EraseBackground(reinterpret_cast<HDC>(wParam), result);
        case kShown:
            if (shown) shown(*this);
            EndDialog(window, IDC_PROCEED);
            return true;
        case kAnswer77:
            result = 77;
            return true;
        default:
            return false;
        }
    }

    bool HandleHighMessage(UINT message, WPARAM, LPARAM, LRESULT& result) override {
        lastHighMessage = message;
        result = 55;
        return true;
    }

    RECT ControlRect(int id) const {
        RECT r = {};
        HWND control = GetDlgItem(window, id);
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    std::function<void(ProbeDialog&)> init;
    std::function<void(ProbeDialog&)> shown;
    ColoredControl colored;
    bool swallowSetSel = false;
    int controlMessages = 0;
    UINT lastHighMessage = 0;
};

void ExpectRect(const RECT& r, int x, int y, int w, int h, int line) {
    SCOPED_TRACE(testing::Message() << "checked at line " << line);
    EXPECT_EQ(r.left, x);
    EXPECT_EQ(r.top, y);
    EXPECT_EQ(r.right - r.left, w);
    EXPECT_EQ(r.bottom - r.top, h);
}
#define EXPECT_RECT(r, x, y, w, h) ExpectRect((r), (x), (y), (w), (h), __LINE__)

// What `paint` leaves at (5, 5) of a 20 x 20 picture that was red before.
COLORREF PaintedOverRed(const std::function<void(HDC)>& paint) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, 20, 20);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, picture);
    RECT all = {0, 0, 20, 20};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &all, red);
    DeleteObject(red);
    paint(dc);
    COLORREF pixel = GetPixel(dc, 5, 5);
    SelectObject(dc, old);
    DeleteObject(picture);
    DeleteDC(dc);
    return pixel;
}

// The erase a screen gets, and what its first button draws for itself.
void PaintScreenAndFace(HWND screen, COLORREF& erased, COLORREF& face) {
    erased = PaintedOverRed([&](HDC dc) {
        SendMessageA(screen, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    });
    face = PaintedOverRed([&](HDC dc) {
        DRAWITEMSTRUCT item = {ODT_BUTTON, IDC_PROCEED, 0, ODA_DRAWENTIRE, 0,
                               GetDlgItem(screen, IDC_PROCEED), dc, {0, 0, 20, 20}, 0};
        SendMessageA(screen, WM_DRAWITEM, IDC_PROCEED, reinterpret_cast<LPARAM>(&item));
    });
}

class SkinDialogTest : public testing::Test {
protected:
    static void SetUpTestSuite() { module::Initialize(GetModuleHandleA(nullptr)); }
    void SetUp() override {
        owner = CreateWindowExA(0, "Static", "owner", WS_POPUP, -1000, -1000, 1001, 1001,
                                nullptr, nullptr, module::ProgramInstance(), nullptr);
        ASSERT_NE(owner, nullptr);
    }
    void TearDown() override { DestroyWindow(owner); }
    HWND owner = nullptr;
};

TEST_F(SkinDialogTest, WindowTakesTheBackgroundSizeAndIsCentred) {
    ProbeDialog dialog(kSkinnedTemplate);
    RECT client = {}, window = {}, work = {};
    bool loaded = false;
    COLORREF erased = 0, face = 0, art = 0;
    dialog.init = [&](ProbeDialog& d) {
        loaded = d.LoadBackgroundFromTitle();
        d.SubclassButtons({IDC_PROCEED});
    };
    dialog.shown = [&](ProbeDialog& d) {
        GetClientRect(d.window, &client);
        GetWindowRect(d.window, &window);
        PaintScreenAndFace(d.window, erased, face);
        art = PaintedOverRed([&](HDC dc) { d.background.Paint(dc); });
    };
    EXPECT_EQ(dialog.ShowModal(owner), IDC_PROCEED);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(dialog.background.width, 474);
    EXPECT_EQ(dialog.background.height, 386);
    EXPECT_EQ(client.right, 473);
    EXPECT_EQ(client.bottom, 385);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, (work.top + work.bottom) / 2, 1);
    EXPECT_EQ(dialog.window, nullptr) << "the handle is cleared when the run is over";
    EXPECT_EQ(erased, art) << "the erase paints the picture";
    EXPECT_NE(art, RGB(255, 0, 0));
    EXPECT_EQ(face, RGB(255, 0, 0)) << "the face painted in the picture shows through";
}

TEST_F(SkinDialogTest, MissingBitmapKeepsTheTemplateSize) {
    ProbeDialog dialog(kMissingBitmapTemplate);
    RECT before = {}, after = {};
    bool loaded = true;
    COLORREF erased = 0, face = 0;
    dialog.init = [&](ProbeDialog& d) {
        GetWindowRect(d.window, &before);
        loaded = d.LoadBackgroundFromTitle();
        GetWindowRect(d.window, &after);
        d.SubclassButtons({IDC_PROCEED});
    };
    dialog.shown = [&](ProbeDialog& d) { PaintScreenAndFace(d.window, erased, face); };
    EXPECT_EQ(dialog.ShowModal(owner), IDC_PROCEED);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    EXPECT_EQ(dialog.background.width, 0);
    // Nothing to paint: the system erases as for any dialog, and the face draws itself.
    EXPECT_EQ(erased, GetSysColor(COLOR_BTNFACE));
    EXPECT_NE(face, RGB(255, 0, 0));
}

TEST_F(SkinDialogTest, EmptyTitleLoadsNothing) {
    ProbeDialog dialog(kUntitledTemplate);
    bool loaded = true;
    dialog.init = [&](ProbeDialog& d) { loaded = d.LoadBackgroundFromTitle(); };
    dialog.ShowModal(owner);
    EXPECT_FALSE(loaded);
}

TEST_F(SkinDialogTest, ButtonsFollowTheirLayoutTexts) {
    ProbeDialog dialog(kSkinnedTemplate);
    RECT go = {}, bad = {}, badBefore = {}, plain = {};
    LONG plainStyle = 0;
    const int ids[3] = {IDC_PROCEED, IDCANCEL, 1010};
    char texts[3][64] = {};
    dialog.init = [&](ProbeDialog& d) {
        d.LoadBackgroundFromTitle();
        badBefore = d.ControlRect(IDCANCEL);
        d.SubclassButtons({IDC_PROCEED, IDCANCEL, 1010, 4242});
        go = d.ControlRect(IDC_PROCEED);
        bad = d.ControlRect(IDCANCEL);
        plain = d.ControlRect(1010);
        plainStyle = GetWindowLongA(GetDlgItem(d.window, 1010), GWL_STYLE);
        for (int i = 0; i < 3; ++i)
            GetDlgItemTextA(d.window, ids[i], texts[i], sizeof texts[i]);
    };
    dialog.ShowModal(owner);
    EXPECT_RECT(go, 149, 336, 108, 39);
    EXPECT_RECT(bad, badBefore.left, badBefore.top, badBefore.right - badBefore.left,
                badBefore.bottom - badBefore.top);
    EXPECT_RECT(plain, 10, 20, 30, 40);
    EXPECT_EQ(plainStyle & BS_OWNERDRAW, BS_OWNERDRAW) << "a plain push button becomes owner-drawn";
    // Once placed, a button's window text is its caption alone (what a screen reader reads,
    // with the mnemonic); a text that placed nothing stays as it was.
    EXPECT_STREQ(texts[0], "&Go");
    EXPECT_STREQ(texts[1], "[1,2,3]-Bad");
    EXPECT_STREQ(texts[2], "Plain");
    ASSERT_EQ(dialog.buttons.size(), 4u);
    EXPECT_EQ(dialog.buttons[3]->previousProcedure, nullptr) << "a missing control stays unbound";
}

TEST_F(SkinDialogTest, EveryButtonGetsACursorOfItsOwn) {
    ProbeDialog dialog(kSkinnedTemplate);
    bool withoutButtons = true, withButtons = false;
    HCURSOR cursors[3] = {};
    LRESULT setCursorAnswer = 0;
    dialog.init = [&](ProbeDialog& d) {
        withoutButtons = d.SetButtonCursor({IDR_HAND_CURSOR});
        d.SubclassButtons({IDC_PROCEED, IDCANCEL, 1010});
        withButtons = d.SetButtonCursor({IDR_HAND_CURSOR});
        for (int i = 0; i < 3; ++i) cursors[i] = d.buttons[i]->cursor.get();
        setCursorAnswer = SendDlgItemMessageA(d.window, IDC_PROCEED, WM_SETCURSOR,
                                              reinterpret_cast<WPARAM>(d.window), HTCLIENT);
    };
    dialog.ShowModal(owner);
    EXPECT_FALSE(withoutButtons);
    EXPECT_TRUE(withButtons);
    for (HCURSOR cursor : cursors) EXPECT_NE(cursor, nullptr);
    // Each button destroys its cursor with its window: one shared handle would be
    // destroyed three times.
    EXPECT_NE(cursors[0], cursors[1]);
    EXPECT_NE(cursors[1], cursors[2]);
    EXPECT_EQ(setCursorAnswer, 1);
    for (auto& button : dialog.buttons) EXPECT_EQ(button->cursor.get(), nullptr) << "gone with the window";
    // The first button's cursor was the current one when it was destroyed.
    EXPECT_NE(GetCursor(), cursors[0]) << "a destroyed cursor is still the current one";
}

TEST_F(SkinDialogTest, LongerCursorListGoesButtonByButton) {
    ProbeDialog dialog(kSkinnedTemplate);
    HCURSOR cursors[3] = {};
    dialog.init = [&](ProbeDialog& d) {
        d.SubclassButtons({IDC_PROCEED, IDCANCEL, 1010});
        d.SetButtonCursor({IDR_HAND_CURSOR, 4711});  // the second cursor does not exist
        for (int i = 0; i < 3; ++i) cursors[i] = d.buttons[i]->cursor.get();
    };
    dialog.ShowModal(owner);
    EXPECT_NE(cursors[0], nullptr);
    EXPECT_EQ(cursors[1], nullptr);
    EXPECT_EQ(cursors[2], nullptr) << "beyond the list";
}

TEST_F(SkinDialogTest, ControlsMoveToTheirRectangleTexts) {
    ProbeDialog dialog(kSkinnedTemplate);
    RECT fromStatic = {}, own = {}, shortBefore = {}, shortAfter = {}, threeAfter = {};
    dialog.init = [&](ProbeDialog& d) {
        d.PlaceControlFromStatic(1020, 1021);
        fromStatic = d.ControlRect(1020);
        d.PlaceControlFromStatic(1023, 0);
        own = d.ControlRect(1023);
        shortBefore = d.ControlRect(1020);
        d.PlaceControlFromStatic(1020, 1022);
        shortAfter = d.ControlRect(1020);
        d.PlaceControlFromStatic(1020, 1024);
        threeAfter = d.ControlRect(1020);
        d.PlaceControlFromStatic(4242, 1021);  // missing control: nothing
        d.PlaceControlFromStatic(1020, 4242);  // missing static: nothing
    };
    dialog.ShowModal(owner);
    EXPECT_RECT(fromStatic, 72, 201, 279, 23);
    EXPECT_RECT(own, 10, 20, 30, 40);
    EXPECT_TRUE(EqualRect(&shortBefore, &shortAfter)) << "7 characters move nothing";
    EXPECT_TRUE(EqualRect(&shortBefore, &threeAfter)) << "three pieces move nothing";
}

TEST_F(SkinDialogTest, FrameSurroundsTheControlByOnePixel) {
    ProbeDialog dialog(kSkinnedTemplate);
    RECT control = {}, frame = {};
    LONG style = 0;
    HWND missing = reinterpret_cast<HWND>(1);
    dialog.init = [&](ProbeDialog& d) {
        d.PlaceControlFromStatic(1020, 1021);
        HWND framed = d.CreateControlFrame(1020);
        control = d.ControlRect(1020);
        GetWindowRect(framed, &frame);
        MapWindowPoints(nullptr, d.window, reinterpret_cast<POINT*>(&frame), 2);
        style = GetWindowLongA(framed, GWL_STYLE);
        missing = d.CreateControlFrame(4242);
    };
    dialog.ShowModal(owner);
    EXPECT_RECT(frame, control.left - 1, control.top - 1, control.right - control.left + 2,
                control.bottom - control.top + 2);
    EXPECT_EQ(style & SS_TYPEMASK, SS_BLACKFRAME);
    EXPECT_EQ(missing, nullptr);
}

TEST_F(SkinDialogTest, FocusSinkIsMadeOnceAndTakesTheFocus) {
    ProbeDialog dialog(kSkinnedTemplate);
    HWND first = nullptr, second = nullptr, focusFirst = nullptr, focusSecond = nullptr;
    RECT where = {};
    int sinkMessages = 0;
    dialog.init = [&](ProbeDialog& d) { first = d.CreateFocusSink(); };
    dialog.shown = [&](ProbeDialog& d) {
        focusFirst = GetFocus();
        SetFocus(GetDlgItem(d.window, 1020));
        second = d.CreateFocusSink();
        focusSecond = GetFocus();
        GetWindowRect(second, &where);
        MapWindowPoints(nullptr, d.window, reinterpret_cast<POINT*>(&where), 2);
        // Its caret is hidden: no blink wakes the screen while it waits.
        for (DWORD end = GetTickCount() + 1200, now; (now = GetTickCount()) < end;) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.hwnd == second) ++sinkMessages;
                DispatchMessageA(&message);
            }
        }
    };
    dialog.ShowModal(owner);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(focusFirst, first) << "WM_INITDIALOG returned FALSE: the sink keeps the focus";
    EXPECT_EQ(focusSecond, first);
    EXPECT_RECT(where, -100, -100, 10, 10);
    EXPECT_EQ(sinkMessages, 0);
    EXPECT_EQ(dialog.focusSink, nullptr) << "forgotten with its window";
}

TEST_F(SkinDialogTest, DialogProcedureRoutesResults) {
    ProbeDialog dialog(kSkinnedTemplate);
    LRESULT answer = 0, high = 0, unhandled = -1;
    bool returned = false;
    dialog.shown = [&](ProbeDialog& d) {
        answer = SendMessageA(d.window, kAnswer77, 0, 0);
        high = SendMessageA(d.window, kHighMessage, 0, 0);
        unhandled = SendMessageA(d.window, WM_USER + 70, 0, 0);
        // The dialog's own colour request names the dialog: answered, not sent back to it.
        HDC dc = GetDC(d.window);
        SendMessageA(d.window, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(d.window));
        ReleaseDC(d.window, dc);
        returned = true;
    };
    dialog.ShowModal(owner);
    EXPECT_EQ(answer, 77);
    EXPECT_EQ(high, 55);
    EXPECT_EQ(dialog.lastHighMessage, kHighMessage);
    EXPECT_EQ(unhandled, 0);
    EXPECT_TRUE(returned);
}

TEST_F(SkinDialogTest, PaletteChangeRepaintsAndQueryChangesNothing) {
    ProbeDialog dialog(kSkinnedTemplate);
    BOOL afterQuery = TRUE, afterChange = FALSE;
    LRESULT queryAnswer = 0;
    dialog.init = [&](ProbeDialog& d) { d.LoadBackgroundFromTitle(); };
    dialog.shown = [&](ProbeDialog& d) {
        // A modal dialog is shown only once its queue is empty: show it now, as an
        // invisible window has no update region.
        ShowWindow(d.window, SW_SHOW);
        UpdateWindow(d.window);
        ValidateRect(d.window, nullptr);
        queryAnswer = SendMessageA(d.window, WM_QUERYNEWPALETTE, 0, 0);
        afterQuery = GetUpdateRect(d.window, nullptr, FALSE);
        SendMessageA(d.window, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(owner), 0);
        afterChange = GetUpdateRect(d.window, nullptr, FALSE);
    };
    dialog.ShowModal(owner);
    EXPECT_NE(queryAnswer, 0);
    EXPECT_FALSE(afterQuery);
    EXPECT_TRUE(afterChange);
}

TEST_F(SkinDialogTest, ColoredControlAnswersItsOwnColours) {
    ProbeDialog dialog(kSkinnedTemplate);
    LRESULT opaque = 0, transparent = 0;
    COLORREF text = 0, back = 0;
    HBRUSH brush = nullptr;
    LONG weight = 0, height = 0, dialogHeight = 0;
    LRESULT swallowed = -1;
    int offered = 0;
    DWORD selStart = 1, selEnd = 1;
    dialog.init = [&](ProbeDialog& d) {
        HWND edit = GetDlgItem(d.window, 1020);
        ASSERT_TRUE(d.colored.Subclass(edit));
        SetWindowTextA(edit, "some text");
        d.colored.SetBackColor(0x00FEF7F9);
        d.colored.textColor = RGB(0, 0, 0);
        brush = d.colored.BackBrush();
        HDC dc = GetDC(edit);
        opaque = SendMessageA(d.window, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                              reinterpret_cast<LPARAM>(edit));
        text = GetTextColor(dc);
        back = GetBkColor(dc);
        SetWindowLongA(edit, GWL_EXSTYLE, GetWindowLongA(edit, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
        transparent = SendMessageA(d.window, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                   reinterpret_cast<LPARAM>(edit));
        ReleaseDC(edit, dc);
        LOGFONTA own = {}, parent = {};
        GetObjectA(d.colored.Font(), sizeof own, &own);
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(d.window, WM_GETFONT, 0, 0)),
                   sizeof parent, &parent);
        weight = own.lfWeight;
        height = own.lfHeight;
        dialogHeight = parent.lfHeight;
        d.swallowSetSel = true;
        int before = d.controlMessages;
        swallowed = SendMessageA(edit, EM_SETSEL, 0, -1);
        offered = d.controlMessages - before;
        SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                     reinterpret_cast<LPARAM>(&selEnd));
    };
    dialog.ShowModal(owner);
    EXPECT_EQ(opaque, reinterpret_cast<LRESULT>(brush));
    EXPECT_EQ(text, RGB(0, 0, 0));
    EXPECT_EQ(back, 0x00FEF7F9u);
    EXPECT_EQ(transparent, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(weight, 400);
    EXPECT_EQ(height, SystemUsesLargeFonts() ? ScaledFontHeight(dialogHeight, true) : dialogHeight);
    EXPECT_EQ(swallowed, 0);
    EXPECT_GE(offered, 1) << "messages to the control reach the screen's table under map id 1";
    EXPECT_EQ(selStart, selEnd) << "EM_SETSEL never reached the edit";
}

TEST_F(SkinDialogTest, TitleComesFromTheStringTable) {
    ProbeDialog dialog(kSkinnedTemplate);
    bool found = true;
    char title[100] = {};
    dialog.init = [&](ProbeDialog& d) {
        found = d.SetTitleFromString(4711);  // not in this program's strings
        GetWindowTextA(d.window, title, sizeof title);
    };
    dialog.ShowModal(owner);
    EXPECT_FALSE(found);
    EXPECT_STREQ(title, "9101") << "the title keeps the bitmap number";
}

// The stop question, answered from a timer of this thread while it runs.
HWND askingScreen = nullptr;
HWND questionOwner = nullptr;

BOOL CALLBACK FindQuestion(HWND window, LPARAM found) {
    if (window != askingScreen && IsWindowVisible(window) && GetDlgItem(window, IDC_PROCEED))
        *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
}

void CALLBACK AnswerGoBack(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND question = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindQuestion, reinterpret_cast<LPARAM>(&question));
    if (!question) return;
    KillTimer(nullptr, timer);
    questionOwner = GetWindow(question, GW_OWNER);
    PostMessageA(question, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(SkinDialogTest, StopQuestionBelongsToTheAskingScreenOrCountsAsConfirmed) {
    ProbeDialog dialog(kSkinnedTemplate);
    HWND active = nullptr, other = nullptr;
    bool wentBack = false, withoutTemplate = false;
    dialog.shown = [&](ProbeDialog& d) {
        // Another window of the thread is active when the screen asks.
        other = CreateWindowExA(0, "Static", "other", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                                nullptr, nullptr, module::ProgramInstance(), nullptr);
        SetActiveWindow(other);
        active = GetActiveWindow();
        askingScreen = d.window;
        questionOwner = nullptr;
        SetTimer(nullptr, 0, 50, AnswerGoBack);
        wentBack = !UserConfirmsExit(d.window);
        DestroyWindow(other);
        // Without its template the question cannot be shown: that must not trap the user.
        module::SetResourceInstance(GetModuleHandleA("kernel32.dll"));
        withoutTemplate = UserConfirmsExit(d.window);
        module::SetResourceInstance(module::ProgramInstance());
    };
    dialog.ShowModal(owner);
    EXPECT_EQ(active, other) << "the precondition: the screen is not the active window";
    EXPECT_TRUE(wentBack);
    EXPECT_EQ(questionOwner, askingScreen);
    EXPECT_TRUE(withoutTemplate);
}

TEST_F(SkinDialogTest, MissingTemplateGivesMinusOneAndLeavesNoBinding) {
    ProbeDialog dialog(4321);
    EXPECT_EQ(dialog.ShowModal(owner), -1);
    EXPECT_EQ(module::TakeWindowObject(), nullptr)
        << "the next window of this thread must not be bound to the gone dialog";
}

}  // namespace
