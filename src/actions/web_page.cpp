// Opening web pages, local files and the kit's tray program through the shell.
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>

#include "core/text_value.h"
#include "description/setup_description.h"
#include "registry/setup_services.h"

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

}  // namespace

void SetupServices::LaunchWebPage(const char* target, const char* baseFolder,
                                  const char* parameters) {
    // No target names nothing: joined with the program's folder it would open the disc's
    // folder in a file window instead.
    TextValue trimmed(target);
    if (!target || TrimText(trimmed, kPathTrimSet).empty()) return;
    std::string file = target;
    // Web addresses go to the shell as written; the comparison is case-sensitive on
    // purpose, so "HTTP://..." is taken as a local name.
    if (!StartsWith(file, "http") && !StartsWith(file, "www.")) {
        if (baseFolder) {
            // A base folder that is empty would leave a bare name, which the shell looks
            // for in the current folder and along the search path: open nothing then.
            TextValue folder(baseFolder);
            if (TrimText(folder, kPathTrimSet).empty()) return;
            TextValue joined;
            file = JoinPath(joined, baseFolder, file, '\\', kPathTrimSet);
        } else if (std::optional<std::string> folder = ProgramFolder()) {
            file = ResolvePath(*folder, file);
        }
    }

    SHELLEXECUTEINFOA info = {};
    static_assert(sizeof(void*) != 4 || sizeof(SHELLEXECUTEINFOA) == 60, "the shell expects the 32-bit layout");
    info.cbSize = sizeof info;
    // No error boxes from the shell; and the launch completes before the call returns, as
    // the final and error pages are opened just before the process ends.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpFile = file.c_str();
    info.lpParameters = parameters;
    info.nShow = SW_SHOWNORMAL;
    // Launches are fire and forget: a target the shell cannot open fails silently.
    ShellExecuteExA(&info);
}
