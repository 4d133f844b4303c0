#include "setup/package_worker.h"

#include <windows.h>

#include <vector>

#include "actions/process_finder.h"
#include "core/handles.h"
#include "core/text_value.h"
#include "description/setup_description.h"

const char kPackageCommandLine[] = " -r -s";
const char kPackageCleanupName[] = "_ISDel.exe";
const char* const kRegistryScripts[4] = {"FR.REG", "ORTK.REG", "Dev.REG", "QA.REG"};

namespace {

constexpr DWORD kPauseAfterStartMs = 1000;
constexpr DWORD kPauseAfterRunMs = 5000;
constexpr std::uint32_t kPollCount = 999999999;
constexpr std::uint32_t kRestartStatus = 5;
constexpr DWORD kStartupInfoSize = 68;

bool IsPresentFile(const std::string& path) {
    WIN32_FIND_DATAA data;
    UniqueFind find(FindFirstFileA(path.c_str(), &data));
    return find && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

void WinExecHidden(const std::string& commandLine) {
    // Import failures are not noticed, by design: the set-up does not wait for the editor.
    WinExec(commandLine.c_str(), SW_HIDE);
}

}  // namespace

std::string SystemRegistryEditor() {
    char folder[MAX_PATH];
    UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "Regedit.exe";
    TextValue path;
    JoinPath(path, folder, "Regedit.exe", '\\', kPathTrimSet);
    if (path.str().find(' ') != std::string::npos) return "\"" + path.str() + "\"";
    return path.str();
}

void ImportRegistryScriptsFrom(const std::string& folder, const ScriptLauncher& launch) {
    for (const char* name : kRegistryScripts) {
        TextValue script;
        // Without a short form the long one is used; the command line quotes it anyway.
        JoinPath(script, ShortPathForm(folder), name, '\\', kPathTrimSet);
        if (!IsPresentFile(script.str())) continue;
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
    CloseHandle(started.hThread);
    UniqueHandle installer(started.hProcess);

    Sleep(kPauseAfterStartMs);
    // The started installer first, by its handle: its path may be unreadable from here (a
    // 64-bit or protected process, another session), and the wait by path would then end
    // at once. Then by program path, as the installer may hand over to other processes.
    WaitForProcessHandle(installer.get(), kPollCount);
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
