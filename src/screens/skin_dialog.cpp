#include "screens/skin_dialog.h"

#include <algorithm>
#include <cstdlib>

#include "core/module_state.h"
#include "core/text_value.h"
#include "screens/skin_layout.h"

namespace {

PixelRect ToPixelRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

RECT WorkArea() {
    RECT work = {};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
        GetWindowRect(GetDesktopWindow(), &work);
    return work;
}

// Moves target so that it is centred on `centre`, kept inside `work`.
void PlaceCentred(HWND target, const RECT& centre, const RECT& work) {
    RECT own = {};
    GetWindowRect(target, &own);
    PixelPoint at = CentredPosition(ToPixelRect(centre), own.right - own.left,
                                    own.bottom - own.top, ToPixelRect(work));
    SetWindowPos(target, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Messages whose dialog-procedure answer is the value itself, not DWL_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_COMPAREITEM:
        return true;
    default:
        return false;
    }
}

}  // namespace

SkinDialog::SkinDialog(int templateId) : templateId(templateId) {}

SkinDialog::~SkinDialog() = default;

LRESULT SkinDialog::SendToItem(int id, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageA(window, id, message, wParam, lParam);
}

BOOL SkinDialog::PaintBackground(HDC dc) {
    background.Paint(dc);
    return TRUE;
}

bool SkinDialog::HandleHighMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

HBRUSH SkinDialog::DefaultControlColors(HDC dc) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

INT_PTR SkinDialog::ShowModal(HWND owner) { return RunDialog(templateId, owner); }

HWND SkinDialog::CreateHidden(HWND owner) {
    forPicture = true;
    return CreateDialogBound(templateId, owner);
}

LRESULT SkinDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    // The sink's caret lies off the screen, but blinking it would wake this thread twice a
    // second for as long as the screen is open: it is hidden each time the sink takes the
    // focus (the edit control shows its caret before it notifies).
    if (message == WM_COMMAND && HIWORD(wParam) == EN_SETFOCUS && focusSink &&
        reinterpret_cast<HWND>(lParam) == focusSink)
        HideCaret(focusSink);
    INT_PTR answer = Route(message, wParam, lParam);
    if (message == WM_NCDESTROY) focusSink = nullptr;  // went with the dialog
    return answer;
}

INT_PTR SkinDialog::Route(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    bool handled = MessageTable(window, message, wParam, lParam, result, 0);
    if (!handled) {
        switch (message) {
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
            return SendMessageA(GetDlgItem(window, static_cast<int>(wParam)), message, wParam,
                                lParam);
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            return ForwardControlColor(message, wParam, lParam);
        case WM_QUERYNEWPALETTE:
            RealizeBackgroundPalette(false);
            return ReportProcessed();
        case WM_PALETTECHANGED:
            RealizeBackgroundPalette(true);
            return ReportProcessed();
        default:
            break;
        }
        if (message > 0x8000) handled = HandleHighMessage(message, wParam, lParam, result);
        if (!handled) return FALSE;
    }
    if (ReturnsResultDirectly(message)) return result;
    if (result) SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR SkinDialog::ForwardControlColor(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND control = reinterpret_cast<HWND>(lParam);
    // WM_CTLCOLORDLG names the dialog itself: sending it back here would never end.
    if (!control || control == window) return FALSE;
    return SendMessageA(control, message, wParam, lParam);
}

// The sender of a dialog's message sees DWL_MSGRESULT, not the procedure's answer.
INT_PTR SkinDialog::ReportProcessed() {
    SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

bool SkinDialog::LoadBackgroundFromTitle() {
    char title[100] = {};
    GetWindowTextA(window, title, sizeof title);
    return LoadBackground(std::atoi(title));
}

bool SkinDialog::LoadBackground(int bitmapId) {
    bool loaded = background.Load(bitmapId);
    // Without the picture nothing shows where the faces should be: they draw themselves.
    for (auto& button : buttons) button->plainFace = !loaded;
    SizeToBackground(false);
    if (GetWindowLongA(window, GWL_STYLE) & DS_CENTER) PlaceWindow(5, 0, 0);
    return loaded;
}

void SkinDialog::SizeToBackground(bool topmost) {
    if (!background.Loaded()) return;
    PixelRect client = BackgroundClientRect(background.width, background.height);
    RECT grown = {client.left, client.top, client.right, client.bottom};
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    AdjustWindowRectEx(&grown, style, FALSE, SizingExtendedStyle(exStyle));
    SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0,
                 grown.right - grown.left, grown.bottom - grown.top, SWP_NOMOVE | SWP_NOACTIVATE);
}

void SkinDialog::PlaceWindow(int mode, int dx, int dy) {
    HWND owner = GetParent(window);
    if (!owner) return;
    if (mode == 4) CentreWindow(window, owner);
    if (mode == 5) CentreWindow(window, GetDesktopWindow());
    RECT own = {}, reference = {}, desktop = {};
    GetWindowRect(window, &own);
    GetWindowRect(owner, &reference);
    GetWindowRect(GetDesktopWindow(), &desktop);
    PixelPoint at = PlaceWindowPosition(mode, dx, dy, ToPixelRect(own), ToPixelRect(reference),
                                        ToPixelRect(desktop));
    SetWindowPos(window, HWND_TOP, at.x, at.y, 0, 0,
                 SWP_NOSIZE | SWP_NOREDRAW | SWP_NOOWNERZORDER);
}

void CentreWindow(HWND target, HWND reference) {
    LONG style = GetWindowLongA(target, GWL_STYLE);
    bool child = (style & WS_CHILD) != 0;
    if (!reference) reference = child ? GetParent(target) : GetWindow(target, GW_OWNER);
    RECT work = WorkArea();
    RECT centre = work;
    if (child && reference) {
        // A child moves in its parent's client coordinates.
        GetClientRect(reference, &work);
        centre = work;
    } else if (reference && IsWindowVisible(reference) && !IsIconic(reference)) {
        GetWindowRect(reference, &centre);
    }
    PlaceCentred(target, centre, work);
}

void CentreInWorkArea(HWND target) {
    RECT work = WorkArea();
    PlaceCentred(target, work, work);
}

bool SkinDialog::SetTitleFromString(UINT id) {
    TextValue title;
    if (!LoadResourceText(id, title)) return false;
    SetWindowTextA(window, title.c_str());
    return true;
}

void SkinDialog::SetSmallIcon() {
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(module::SetupIcon()));
}

void SkinDialog::SubclassButtons(std::initializer_list<int> ids) {
    for (int id : ids) {
        auto button = std::make_unique<SkinButton>();
        button->plainFace = !background.Loaded();
        button->Subclass(GetDlgItem(window, id));  // a missing control leaves it unbound
        buttons.push_back(std::move(button));
    }
}

bool SkinDialog::SetButtonCursor(std::initializer_list<int> cursorIds) {
    if (buttons.empty() || cursorIds.size() == 0) return false;
    const int* ids = cursorIds.begin();
    std::size_t count = cursorIds.size() == 1 ? buttons.size()
                                               : std::min(buttons.size(), cursorIds.size());
    for (std::size_t i = 0; i < count; ++i) {
        int id = cursorIds.size() == 1 ? ids[0] : ids[i];
        // Each button gets a cursor of its own, as each destroys its cursor with its window.
        HANDLE cursor = LoadImageA(module::ResourceInstance(), MAKEINTRESOURCEA(id), IMAGE_CURSOR,
                                   0, 0, LR_DEFAULTCOLOR);
        buttons[i]->SetCursorHandle(static_cast<HCURSOR>(cursor));
    }
    return true;
}

void SkinDialog::PlaceControlFromStatic(int controlId, int staticId) {
    HWND control = GetDlgItem(window, controlId);
    int sourceId = staticId ? staticId : controlId;
    HWND source = GetDlgItem(window, sourceId);
    if (!control || !source) return;
    char text[100] = {};
    GetDlgItemTextA(window, sourceId, text, sizeof text);
    LayoutBox box;
    if (!ParseRectangleText(text, box)) return;
    SetWindowPos(control, nullptr, box.x, box.y, box.w, box.h, SWP_NOZORDER);
}

HWND SkinDialog::CreateControlFrame(int controlId) {
    HWND control = GetDlgItem(window, controlId);
    if (!control) return nullptr;
    RECT r = {};
    GetWindowRect(control, &r);
    POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    ScreenToClient(window, &corners[0]);
    ScreenToClient(window, &corners[1]);
    return CreateWindowExA(WS_EX_TRANSPARENT, "Static", "", WS_CHILD | WS_VISIBLE | SS_BLACKFRAME,
                           corners[0].x - 1, corners[0].y - 1, corners[1].x - corners[0].x + 2,
                           corners[1].y - corners[0].y + 2, window, nullptr,
                           module::ProgramInstance(), nullptr);
}

HWND SkinDialog::CreateFocusSink() {
    if (!focusSink) {
        focusSink = CreateWindowExA(WS_EX_TRANSPARENT, "Edit", "", WS_CHILD | WS_VISIBLE, -100,
                                    -100, 10, 10, window, nullptr, module::ProgramInstance(),
                                    nullptr);
    }
    if (focusSink) SetFocus(focusSink);
    return focusSink;
}

bool SkinDialog::EraseBackground(HDC dc, LRESULT& result) {
    if (!background.Loaded()) return false;
    result = PaintBackground(dc);
    return true;
}

int SkinDialog::RealizeBackgroundPalette(bool force) {
    return background.RealizePalette(window, force);
}

void SkinDialog::EndScreen(int id) { EndDialog(window, id); }
