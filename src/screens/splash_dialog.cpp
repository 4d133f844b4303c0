#include "screens/splash_dialog.h"

#include <commctrl.h>

#include <string>

#include "core/module_state.h"
#include "core/product.h"
#include "core/result_codes.h"
#include "core/text_value.h"
#include "description/setup_description.h"
#include "screens/skin_dialog.h"

namespace {

// A network path ("\\server\share\clip.avi") is used as it stands; anything else is
// looked for in the folder given (the program's, unless told otherwise).
std::string ClipPath(const std::string& value, const std::optional<std::string>& clipFolder) {
    if (value.compare(0, 2, "\\\\") == 0) return value;
    std::optional<std::string> folder = clipFolder ? clipFolder : ProgramFolder();
    return ResolvePath(folder ? *folder : std::string(), value);
}

}  // namespace

SplashDialog::SplashDialog(const SetupDescription& description)
    : SplashDialog(description.rootNode, description.selectedNode) {}

SplashDialog::SplashDialog(XmlNode* rootNode, XmlNode* selectedNode)
    : rootNode(rootNode), selectedNode(selectedNode) {}

SplashDialog::~SplashDialog() = default;

INT_PTR SplashDialog::ShowModal(HWND owner) { return RunDialog(IDD_SPLASH, owner); }

HWND SplashDialog::CreateHidden(HWND owner) {
    forPicture = true;
    return CreateDialogBound(IDD_SPLASH, owner);
}

LRESULT SplashDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!MessageTable(window, message, wParam, lParam, result)) return FALSE;
    if (message == WM_INITDIALOG) return result;
    SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}

bool SplashDialog::MessageTable(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (message) {
    case WM_INITDIALOG:
        result = OnInitDialog();
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return OnEraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_TIMER:
        OnTimer(wParam);
        return true;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return true;
    case WM_QUERYNEWPALETTE:
        OnPaletteMessage(false);
        return true;
    case WM_PALETTECHANGED:
        OnPaletteMessage(true);
        return true;
    case WM_DESTROY:
        OnDestroy();
        return true;
    default:
        return false;
    }
}

bool SplashDialog::OpenClipOf(const XmlNode* element) {
    const XmlAttribute* avi = element->FindAttribute("AVI");
    if (!avi) return false;
    std::string path = ClipPath(avi->value, clipFolder);
    clipOpen = SendDlgItemMessageA(window, IDC_SPLASH_CLIP, ACM_OPENA, 0,
                                   reinterpret_cast<LPARAM>(path.c_str())) != 0;
    return clipOpen;
}

bool SplashDialog::OpenClip() {
    clipOpen = false;
    if (!rootNode || !selectedNode) return false;
    // The language's clip wins; the root element's is the fallback.
    if (!OpenClipOf(selectedNode)) OpenClipOf(rootNode);
    return clipOpen;
}

LRESULT SplashDialog::OnInitDialog() {
    TextValue title;
    if (LoadResourceText(IDS_SETUP_TITLE, title)) SetWindowTextA(window, title.c_str());
    if (OpenClip())
        FitToClip();
    else
        ShowStillPicture();
    CentreWindow(window, GetDesktopWindow());
    SetTimer(window, SPLASH_TIMER_ID, kDisplayMilliseconds, nullptr);
    if (!forPicture) SetForegroundWindow(window);
    return TRUE;
}

void SplashDialog::FitToClip() {
    HWND clip = GetDlgItem(window, IDC_SPLASH_CLIP);
    RECT w = {}, c = {}, a = {};
    GetWindowRect(window, &w);
    GetClientRect(window, &c);
    GetWindowRect(clip, &a);
    // Client area = the clip plus a 3-pixel margin on every side.
    MoveWindow(window, 0, 0, (a.right - a.left) + (w.right - w.left) - c.right + 6,
               (a.bottom - a.top) + (w.bottom - w.top) - c.bottom + 6, FALSE);
    SetWindowPos(clip, nullptr, 3, 3, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    ShowWindow(clip, SW_SHOW);
    SendMessageA(clip, ACM_PLAY, 1, MAKELONG(0, 0xFFFF));
}

void SplashDialog::ShowStillPicture() {
    if (!stillPicture.Load(IDB_SPLASH)) return;
    SetWindowPos(window, HWND_TOP, 0, 0, stillPicture.width, stillPicture.height, 0);
}

bool SplashDialog::OnEraseBackground(HDC dc) {
    // With a clip, or without a picture, the system erases the background.
    if (clipOpen || !dc || !stillPicture.Loaded()) return false;
    stillPicture.Paint(dc);
    return true;
}

void SplashDialog::OnTimer(UINT_PTR id) {
    if (id != SPLASH_TIMER_ID) return;
    EndDialog(window, 0);
    KillTimer(window, SPLASH_TIMER_ID);
}

void SplashDialog::OnCommand(int id) {
    if (id == IDC_PROCEED || id == IDCANCEL) EndDialog(window, id);
}

void SplashDialog::OnPaletteMessage(bool force) {
    if (!clipOpen) stillPicture.RealizePalette(window, force);
}

void SplashDialog::OnDestroy() {
    stillPicture.Clear();
    if (clipOpen) SendDlgItemMessageA(window, IDC_SPLASH_CLIP, ACM_OPENA, 0, 0);
}
