#include "setup/package_worker.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "actions/process_finder.h"
#include "core/handles.h"
#include "core/product.h"
#include "core/text_value.h"
#include "description/setup_description.h"

const char kPackageCommandLine[] = " -r -s";

namespace {

constexpr DWORD kPauseAfterStartMs = 1000;
constexpr DWORD kPauseAfterRunMs = 5000;
constexpr std::uint32_t kPollCount = 999999999;
constexpr std::uint32_t kRestartStatus = 5;
constexpr DWORD kStartupInfoSize = sizeof(STARTUPINFOA);
static_assert(sizeof(void*) != 4 || kStartupInfoSize == 68, "the system expects the 32-bit layout");

void WinExecHidden(const std::string& commandLine) {
    // Import failures are not noticed, by design: the set-up does not wait for the editor.
    WinExec(commandLine.c_str(), SW_HIDE);
}

std::string RegistryEditorIn(const std::string& folder) {
    TextValue path;
    return JoinPath(path, folder, "Regedit.exe", '\\', kPathTrimSet);
}

}  // namespace

std::optional<std::string> Wow64SystemFolder() {
    using GetWow64FolderFn = UINT(WINAPI*)(LPSTR, UINT);
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    auto getFolder = kernel ? reinterpret_cast<GetWow64FolderFn>(reinterpret_cast<void*>(
                                  GetProcAddress(kernel, "GetSystemWow64DirectoryA")))
                            : nullptr;
    char folder[MAX_PATH];
    UINT length = getFolder ? getFolder(folder, MAX_PATH) : 0;
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    return std::string(folder, length);
}

std::string SystemRegistryEditor() {
    // On 64-bit Windows the Windows folder's editor is the 64-bit one, which writes the
    // registry view that this 32-bit program, its package and the kit never read; the
    // 32-bit editor lies in the WOW64 system folder. A 64-bit build keeps the Windows
    // folder's editor, whose view is its own.
    std::string editor;
    if (sizeof(void*) == 4) {
        if (std::optional<std::string> wow64 = Wow64SystemFolder()) {
            std::string candidate = RegistryEditorIn(*wow64);
            if (PathExists(candidate, PathKind::File)) editor = candidate;
        }
    }
    if (editor.empty()) {
        char folder[MAX_PATH];
        UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return "Regedit.exe";
        editor = RegistryEditorIn(std::string(folder, length));
    }
    if (editor.find(' ') != std::string::npos) return "\"" + editor + "\"";
    return editor;
}

void ImportRegistryScriptsFrom(const std::string& folder, const ScriptLauncher& launch) {
    for (const char* name : kRegistryScripts) {
        TextValue script;
        // Without a short form the long one is used; the command line quotes it anyway.
        JoinPath(script, ShortPathForm(folder), name, '\\', kPathTrimSet);
        if (!PathExists(script.str(), PathKind::File)) continue;
        TextValue command;
        FormatText(command, "%s -s \"%s\"", SystemRegistryEditor().c_str(), script.c_str());
        launch(command.str());
    }
}

bool ImportRegistryScripts() {
    if (auto folder = ProgramFolder()) ImportRegistryScriptsFrom(*folder, WinExecHidden);
    return true;
}

bool RunPackage(PackageRunHost& host, const std::string& package) {
    std::string packagePath = ResolvePath(ProgramFolder().value_or(std::string()), package);
    std::size_t slash = packagePath.rfind('\\');
    std::string packageFolder = slash == std::string::npos ? packagePath : packagePath.substr(0, slash);
    std::string cleanupPath = ResolvePath(packageFolder, kPackageCleanupName);

    std::vector<char> commandLine(kPackageCommandLine, kPackageCommandLine + sizeof kPackageCommandLine);
    STARTUPINFOA startup = {};
    startup.cb = kStartupInfoSize;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(packagePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &started)) {
        host.StopTimer();
        host.WriteLogLine("Spawning process failed ");
        return false;
    }
    UniqueHandle installer(started.hProcess);
    UniqueHandle installerThread(started.hThread);  // not waited for: the process is

    Sleep(kPauseAfterStartMs);
    // The started installer first, by its handle: its path may be unreadable from here (a
    // 64-bit or protected process, another session), and the wait by path would then end
    // at once. This wait sleeps until the installer ends. Then by program path, as the
    // installer may hand over to other processes.
    WaitDispatchingMessages(installer.get());
    ProcessFinder finder;
    finder.WaitForProcessesToEnd(packagePath.c_str(), kPollCount, 0, 0);
    finder.WaitForProcessesToEnd(cleanupPath.c_str(), kPollCount, 0, 0);
    ImportRegistryScripts();
    std::uint32_t status = 0;
    if (host.ReadInstallStatus(status) && status == kRestartStatus)
        host.WriteLogLine("You may have to restart");
    host.FillBar();
    Sleep(kPauseAfterRunMs);  // the full bar stays on the screen meanwhile
    return true;
}
