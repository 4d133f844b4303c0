#include "setup/progress_dialog.h"

#include <commctrl.h>

#include <utility>

#include "actions/process_finder.h"
#include "core/product.h"
#include "core/result_codes.h"
#include "core/text_value.h"
#include "screens/confirm_exit_dialog.h"

namespace {

constexpr UINT kTimerPeriodMs = 500;
constexpr int kRangeUpper = 150;
constexpr int kStartPosition = 1;
constexpr COLORREF kBarColor = 0x00000000;
constexpr COLORREF kBarBackground = 0x00FEF7F9;
constexpr int kTimerStopPercent = 80;

using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);

// A themed progress bar ignores the bar and background colours: the bar is drawn
// classic. The theme library exists only on newer systems, so it is looked up at run
// time, from the system folder.
void DrawClassic(HWND control) {
    UniqueModule themes = LoadSystemLibrary("uxtheme.dll");
    if (!themes) return;
    auto setTheme = reinterpret_cast<SetWindowThemeFn>(
        reinterpret_cast<void*>(GetProcAddress(themes.get(), "SetWindowTheme")));
    if (setTheme) setTheme(control, L" ", L" ");
}

}  // namespace

ProgressDialog::ProgressDialog(std::string packageText)
    : SkinScreen(IDD_PROGRESS), package(std::move(packageText)) {}

ProgressDialog::~ProgressDialog() {
    // The worker uses the services and posts to the window: it must be gone first. It
    // never waits on this thread, so the wait cannot deadlock. After a handler failed the
    // worker may still be waiting for the package: this thread's windows are served
    // meanwhile, so that none shows as not responding.
    if (workerThread) WaitDispatchingMessages(workerThread.get());
}

bool ProgressDialog::MessageTable(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                  LRESULT& result, int mapId) {
    if (mapId != 0) return false;
    switch (message) {
    case WM_TIMER:
        OnTimer(wParam);
        return true;
    case WM_INSTALL_STATUS:
        result = OnInstallStatus(wParam);
        return true;
    case WM_DESTROY:
        OnDestroy();
        return true;
    case WM_PROGRESS_STOP_TIMER:
        OnStopTimer();
        return true;
    case WM_PROGRESS_FILL_BAR:
        OnFillBar();
        return true;
    case WM_PROGRESS_END:
        OnEnd(static_cast<int>(wParam));
        return true;
    default:  // set-up, buttons and background as on every screen
        return SkinScreen::MessageTable(window, message, wParam, lParam, result, mapId);
    }
}

LRESULT ProgressDialog::OnInitDialog() {
    // A picture of the screen (forPicture) only sets the screen up: no value for the
    // installer, no foreground, no timer and no worker.
    if (!forPicture) {
        // The installer finds the screen through "ClientHandle" (window handles fit 32 bits).
        services.WriteClientDword("ClientHandle",
                                  static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(window)));
        services.WriteClientDword("CancelPressed", kNoCancel);
    }
    LoadBackgroundFromTitle();
    SetTitleFromString(IDS_SETUP_TITLE);
    SetSmallIcon();
    SubclassButtons({IDCANCEL});
    SetButtonCursor({IDR_HAND_CURSOR});
    if (!forPicture) SetForegroundWindow(window);
    CentreInWorkArea(window);
    SetUpProgressBar();
    if (forPicture) {
        CreateFocusSink();
        return FALSE;
    }
    SetTimer(window, PROGRESS_TIMER_ID, kTimerPeriodMs, nullptr);
    if (!StartWorker()) {
        // Without a worker nothing would ever end the screen.
        KillTimer(window, PROGRESS_TIMER_ID);
        EndScreen(IDCANCEL);
        return FALSE;
    }
    CreateFocusSink();
    return FALSE;  // the focus is set: the system must not move it
}

void ProgressDialog::SetUpProgressBar() {
    HWND bar = GetDlgItem(window, IDC_PROGRESS_BAR);
    if (!bar) return;
    progressBar.Subclass(bar);
    DrawClassic(bar);
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, kRangeUpper));
    SendMessageA(bar, PBM_SETSTEP, 1, 0);
    SendMessageA(bar, PBM_SETPOS, kStartPosition, 0);
    SendMessageA(bar, PBM_SETBARCOLOR, 0, kBarColor);
    SendMessageA(bar, PBM_SETBKCOLOR, 0, kBarBackground);
    PlaceControlFromStatic(IDC_PROGRESS_BAR, IDC_PROGRESS_RECT);
}

bool ProgressDialog::StartWorker() {
    workerTarget_ = window;
    workerThread.reset(CreateThread(nullptr, 0, &ProgressDialog::WorkerMain, this, 0,
                                    &workerThreadId));
    return static_cast<bool>(workerThread);
}

DWORD WINAPI ProgressDialog::WorkerMain(LPVOID parameter) {
    auto* screen = static_cast<ProgressDialog*>(parameter);
    bool started = false;
    try {
        started = RunPackage(*screen, screen->package);
    } catch (...) {
        // Nothing may leave a thread function: the screen takes the exception over when
        // it ends and throws it on its own thread.
        screen->workerFault_ = std::current_exception();
    }
    int result = started && screen->cancelState.load() != kCancelConfirmed ? IDC_PROCEED : IDCANCEL;
    PostMessageA(screen->workerTarget_, WM_PROGRESS_END, static_cast<WPARAM>(result), 0);
    return started ? 1 : 0;
}

void ProgressDialog::OnCommand(int id) {
    // IDC_PROCEED does nothing: the screen has no such button, the worker ends it.
    if (id == IDCANCEL) OnCancelRequest();
}

void ProgressDialog::OnCancelRequest() {
    if (committed) {
        // Past the installer's point of no return: show it as nearly done, ask nothing.
        OnFillBar();
        return;
    }
    if (cancelState.load() != kNoCancel) return;  // already asked or confirmed
    cancelState.store(kCancelAsked);
    services.WriteClientDword("CancelPressed", kCancelAsked);
    if (UserConfirmsExit(window)) {
        cancelState.store(kCancelConfirmed);
        services.WriteClientDword("CancelPressed", kCancelConfirmed);
        // Stays open, hidden, until the worker has seen the installer end.
        ShowWindow(window, SW_HIDE);
    } else {
        cancelState.store(kNoCancel);
        services.WriteClientDword("CancelPressed", kNoCancel);
    }
}

void ProgressDialog::OnTimer(UINT_PTR id) {
    if (id != PROGRESS_TIMER_ID || cancelState.load() != kNoCancel) return;
    HWND bar = progressBar.window;
    if (!bar) return;
    int upper = static_cast<int>(SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
    int position = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
    if (upper <= 0 || position * 100 / upper >= kTimerStopPercent)
        KillTimer(window, PROGRESS_TIMER_ID);
    else
        SendMessageA(bar, PBM_STEPIT, 0, 0);
}

LRESULT ProgressDialog::OnInstallStatus(WPARAM status) {
    services.WriteClientDword("InstallStatus", static_cast<std::uint32_t>(status));
    if (status == 3) committed = true;
    return 0;
}

void ProgressDialog::OnDestroy() { KillTimer(window, PROGRESS_TIMER_ID); }

void ProgressDialog::OnStopTimer() { KillTimer(window, PROGRESS_TIMER_ID); }

void ProgressDialog::OnFillBar() {
    if (HWND bar = progressBar.window) {
        LRESULT upper = SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
        SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(upper), 0);
    }
    KillTimer(window, PROGRESS_TIMER_ID);
}

void ProgressDialog::OnEnd(int result) {
    if (workerFault_) {
        // The worker posted this just before it returns: once it has, its fault is whole.
        WaitForSingleObject(workerThread.get(), INFINITE);
        std::rethrow_exception(std::exchange(workerFault_, nullptr));
    }
    EndScreen(result);
}

void ProgressDialog::StopTimer() { PostMessageA(workerTarget_, WM_PROGRESS_STOP_TIMER, 0, 0); }

void ProgressDialog::FillBar() { PostMessageA(workerTarget_, WM_PROGRESS_FILL_BAR, 0, 0); }

bool ProgressDialog::WriteLogLine(const char* message) { return services.WriteLogLine(message); }

bool ProgressDialog::ReadInstallStatus(std::uint32_t& status) {
    return services.ReadClientDword("InstallStatus", status);
}
