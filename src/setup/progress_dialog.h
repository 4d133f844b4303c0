// The progress screen under which the package installer runs (win32 build). A worker
// thread runs the package; the screen moves its bar on a timer, records the statuses the
// installer posts and asks before a cancel. The worker never touches the screen's
// window directly: it posts the requests below, and the screen ends itself.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <exception>
#include <string>

#include "core/handles.h"
#include "registry/setup_services.h"
#include "screens/skin_screen.h"
#include "screens/subclassed_window.h"
#include "setup/package_worker.h"

// Sent by the package installer, status number in wParam.
constexpr UINT WM_INSTALL_STATUS = WM_USER + 100;
// Requests the worker posts to its screen.
constexpr UINT WM_PROGRESS_STOP_TIMER = WM_USER + 110;
constexpr UINT WM_PROGRESS_FILL_BAR = WM_USER + 111;
constexpr UINT WM_PROGRESS_END = WM_USER + 112;  // wParam: the screen's result

constexpr UINT_PTR PROGRESS_TIMER_ID = 1500;

// Values of cancelState and of "CancelPressed".
constexpr std::uint32_t kNoCancel = 0;
constexpr std::uint32_t kCancelAsked = 3;
constexpr std::uint32_t kCancelConfirmed = 4;

class ProgressDialog : public SkinScreen, private PackageRunHost {
public:
    explicit ProgressDialog(std::string packageText);
    // Waits for the worker before anything it uses goes, then closes its handle.
    ~ProgressDialog() override;

    bool MessageTable(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                      int mapId) override;

    SubclassedWindow progressBar;  // control 258; handles no message itself
    UniqueHandle workerThread;
    DWORD workerThreadId = 0;
    std::string package;
    // Written by the screen's thread only, read once by the worker after the run.
    std::atomic<std::uint32_t> cancelState{kNoCancel};
    bool committed = false;  // the installer reported status 3
    SetupServices services;

private:
    LRESULT OnInitDialog() override;
    void OnCommand(int id) override;
    void OnCancelRequest();
    void OnTimer(UINT_PTR id);
    LRESULT OnInstallStatus(WPARAM status);
    void OnDestroy();
    void OnStopTimer();
    void OnFillBar();
    void OnEnd(int result);

    void SetUpProgressBar();
    bool StartWorker();
    static DWORD WINAPI WorkerMain(LPVOID screen);

    // PackageRunHost, called on the worker thread.
    void StopTimer() override;
    void FillBar() override;
    bool WriteLogLine(const char* message) override;
    bool ReadInstallStatus(std::uint32_t& status) override;

    HWND workerTarget_ = nullptr;  // the screen's window, fixed before the worker starts
    std::exception_ptr workerFault_;  // set by the worker before it posts its end
};
