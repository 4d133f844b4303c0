// Test host of the progress screen: shows it owned by a hidden window, as the set-up
// does, and returns the screen's result as the exit code.
//   progress_host.exe <resource library or "-"> <package text>
// Both paths are relative to the host's own folder; the package text may be empty ("").
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/module_state.h"
#include "core/product.h"
#include "core/text_value.h"
#include "setup/progress_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    module::Initialize(instance);
    std::string library = __argc > 1 ? __argv[1] : "-";
    std::string package = __argc > 2 ? __argv[2] : "";
    std::string folder = ProgramFolder().value_or(".");
    HMODULE resources = nullptr;
    if (library != "-") {
        resources = LoadLibraryExA((folder + "\\" + library).c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE);
        if (!resources) {
            std::fprintf(stderr, "progress_host: cannot load %s\n", library.c_str());
            return 3;
        }
        module::SetResourceInstance(resources);
    }
    module::SetSetupIcon(static_cast<HICON>(LoadImageA(module::ResourceInstance(),
                                                       MAKEINTRESOURCEA(IDI_SETUP), IMAGE_ICON,
                                                       16, 16, LR_DEFAULTCOLOR)));
    HWND owner = CreateWindowExA(0, "STATIC", "progress host owner", WS_POPUP, 0, 0, 0, 0,
                                 nullptr, nullptr, instance, nullptr);
    INT_PTR result;
    {
        ProgressDialog screen(package);
        result = screen.ShowModal(owner);
    }
    std::printf("result %d\n", static_cast<int>(result));
    std::fflush(stdout);
    DestroyWindow(owner);
    if (resources) FreeLibrary(resources);
    return static_cast<int>(result);
}
