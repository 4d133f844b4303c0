// Runs a real screen with a fault injected, under the entry's rule for what escapes a run:
//   fault_host <screen|worker|join> <language library> <error page, relative to this program>
//              [package]
// "screen" throws from a handler of the welcome screen once it is open; "worker" throws
// on the package-run screen's worker thread; "join" throws from the package-run screen's
// first timer tick while its worker waits for the package given, beside a window of this
// thread titled "fault_host main" that must go on answering while the worker is joined. The page is registered for the default code;
// a screen that ends without the exception clears the code, so no page opens then.
#include <windows.h>
#include <objbase.h>

#include <stdexcept>
#include <string>

#include "core/module_state.h"
#include "core/result_codes.h"
#include "description/setup_description.h"
#include "screens/welcome_dialog.h"
#include "setup/entry.h"
#include "setup/progress_dialog.h"

namespace {

constexpr UINT kFaultMessage = WM_USER + 77;

class FaultyWelcome : public WelcomeDialog {
public:
    bool MessageTable(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                      int mapId) override {
        if (message == kFaultMessage) throw std::runtime_error("fault in a screen handler");
        bool handled = WelcomeDialog::MessageTable(window, message, wParam, lParam, result, mapId);
        if (message == WM_INITDIALOG) PostMessageA(window, kFaultMessage, 0, 0);
        return handled;
    }
};

// With no package the worker logs that the start failed: that call throws here.
class FaultyProgress : public ProgressDialog {
public:
    FaultyProgress() : ProgressDialog(std::string()) {}

private:
    bool WriteLogLine(const char*) override { throw std::runtime_error("fault in the worker"); }
};

// The package runs; the screen's first bar step fails.
class FaultyTimerProgress : public ProgressDialog {
public:
    explicit FaultyTimerProgress(std::string package) : ProgressDialog(std::move(package)) {}
    bool MessageTable(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                      int mapId) override {
        if (message == WM_TIMER) throw std::runtime_error("fault in a screen handler");
        return ProgressDialog::MessageTable(window, message, wParam, lParam, result, mapId);
    }
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc < 4) return 2;
    std::string mode = __argv[1];
    CoInitialize(nullptr);
    module::Initialize(instance);
    HMODULE library = LoadLibraryA(__argv[2]);
    if (!library) return 3;
    module::SetResourceInstance(library);
    ProcessErrorPages()["0X806D0100"] = __argv[3];
    setupResult = SETUP_E_DEFAULT;
    RunAndReportResult([&mode] {
        if (mode == "screen") {
            FaultyWelcome().ShowModal(nullptr);
        } else if (mode == "join") {
            CreateWindowExA(0, "STATIC", "fault_host main", WS_POPUP, 0, 0, 10, 10, nullptr,
                            nullptr, nullptr, nullptr);
            FaultyTimerProgress(__argc > 4 ? __argv[4] : "").ShowModal(nullptr);
        } else {
            FaultyProgress().ShowModal(nullptr);
        }
        setupResult = 0;  // reached only when the screen ended without the fault
    });
    CoUninitialize();
    return 0;
}
