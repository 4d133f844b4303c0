// Sample package installer of the disc. Started by the set-up with the command line
// " -r -s" (silent), it reports its progress to the window recorded as "ClientHandle",
// stops early when "CancelPressed" becomes 4, installs a few files into the recorded
// "Installation_Directory" and leaves its clean-up program "_ISDel.exe" running.
//
// Tests steer it through HKLM\Software\VORDA\OrvalisToolKit\SamplePackage:
//   "Mode"    "normal" (default), "long" (60 s of work unless "Seconds" says otherwise),
//             "fail" (ends without installing), "crash" (dies of an access violation),
//             "status5" (asks for a restart), "silent" (never reports a status),
//             "hidden" (blanks its program name in the loader's module list, where other
//             processes read it, as for an installer whose path cannot be read from the
//             set-up: a 64-bit one, one in another session),
//             "crash3" (dies right after reporting status 3), "deaf" (never reads
//             "CancelPressed"), "child" (starts a copy of itself that lingers for
//             "Seconds", and ends at once);
//   "Seconds" DWORD: length of the work phase before the files are copied (default 2).
// It records the command line it got as "CommandLine" and its outcome as "Result".
#include <windows.h>
#include <winternl.h>

#include <string>

#include "package_settings.h"

namespace {

using namespace sample_package;

enum Status : DWORD {
    kStarted = 1,
    kCopying = 2,
    kCommitted = 3,  // past this point the installation is no longer cancelled
    kFinished = 4,
    kRestartNeeded = 5,
};

constexpr DWORD kCancelAsked = 3;
constexpr DWORD kCancelConfirmed = 4;
constexpr DWORD kLongestQuestionMs = 300000;
constexpr char kChildSwitch[] = "-lingering-child";

class SamplePackage {
public:
    SamplePackage() {
        mode_ = ReadString(kSettingsSubkey, "Mode");
        if (mode_.empty()) mode_ = "normal";
        workMs_ = SecondsSetting("Seconds", mode_ == "long" ? 60 : 2) * 1000;
        DWORD handle = 0;
        if (ReadDword(kClientSubkey, "ClientHandle", handle))
            client_ = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(handle));
        folder_ = ReadString(kProductSubkey, "Installation_Directory");
        cleanupPath_ = CleanupPath();
    }

    int Run() {
        if (mode_ == "hidden") HideProgramName();
        Report(kStarted);
        if (mode_ == "crash") Crash();
        if (mode_ == "child") return StartLingeringChild();
        if (!Work()) return End("cancelled", 2);
        if (mode_ == "fail") return End("failed", 1);
        Report(kCopying);
        if (folder_.empty() || !InstallFiles()) return End("failed", 1);
        Report(kCommitted);
        if (mode_ == "crash3") {
            Sleep(300);  // the status reaches the set-up before the process dies
            Crash();
        }
        Report(kFinished);
        if (mode_ == "status5") Report(kRestartNeeded);
        return End("installed", 0);
    }

private:
    void Report(DWORD status) {
        if (mode_ == "silent" || !client_ || !IsWindow(client_)) return;
        PostMessageA(client_, WM_INSTALL_STATUS, status, 0);
    }

    // The work phase, in 100 ms steps. While the set-up asks its user whether to stop
    // ("CancelPressed" 3) the work pauses; a confirmed stop (4) ends it.
    bool Work() {
        DWORD done = 0, paused = 0;
        while (done < workMs_) {
            DWORD cancel = 0;
            if (mode_ != "deaf") ReadDword(kClientSubkey, "CancelPressed", cancel);
            if (cancel == kCancelConfirmed) return false;
            Sleep(100);
            if (cancel == kCancelAsked && paused < kLongestQuestionMs)
                paused += 100;
            else
                done += 100;
        }
        DWORD cancel = 0;
        if (mode_ == "deaf") return true;
        return !(ReadDword(kClientSubkey, "CancelPressed", cancel) && cancel == kCancelConfirmed);
    }

    bool InstallFiles() {
        if (!CreateFolders(folder_)) return false;
        const struct {
            const char* name;
            const char* text;
        } files[] = {
            {"ReadMe.txt", "Vorda Orvalis Tool Kit\r\nInstalled by the sample package.\r\n"},
            {"OrvalisToolKit.ini", "[Kit]\r\nVersion=1.0.0.1\r\n"},
            {"Components.txt", "Manager\r\nTray\r\nBrowser add-ins\r\n"},
        };
        for (const auto& file : files) {
            std::string path = folder_ + "\\" + file.name;
            HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
            if (out == INVALID_HANDLE_VALUE) return false;
            DWORD written = 0;
            DWORD size = static_cast<DWORD>(lstrlenA(file.text));
            BOOL ok = WriteFile(out, file.text, size, &written, nullptr);
            CloseHandle(out);
            if (!ok || written != size) return false;
        }
        return true;
    }

    static bool CreateFolders(const std::string& folder) {
        for (std::size_t i = 3; i <= folder.size(); ++i) {
            if (i == folder.size() || folder[i] == '\\') {
                std::string part = folder.substr(0, i);
                if (!CreateDirectoryA(part.c_str(), nullptr) &&
                    GetLastError() != ERROR_ALREADY_EXISTS)
                    return false;
            }
        }
        DWORD attributes = GetFileAttributesA(folder.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    // Every end but a crash leaves the clean-up program running, as the real installer does.
    int End(const char* result, int exitCode) {
        WriteString(kSettingsSubkey, "Result", result);
        StartCleanup();
        return exitCode;
    }

    // A copy of this program that outlives it, under the same program path.
    int StartLingeringChild() {
        char self[MAX_PATH];
        DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return 1;
        std::string commandLine = "\"" + std::string(self, length) + "\" " + kChildSwitch;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (CreateProcessA(self, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &info)) {
            CloseHandle(info.hThread);
            CloseHandle(info.hProcess);
        }
        WriteString(kSettingsSubkey, "Result", "child started");
        return 0;
    }

    static std::string CleanupPath() {
        char self[MAX_PATH];
        DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return std::string();
        std::string path(self, length);
        path.erase(path.rfind('\\') + 1);
        return path + "_ISDel.exe";
    }

    void StartCleanup() const {
        if (cleanupPath_.empty()) return;
        const std::string& path = cleanupPath_;
        std::string commandLine = "\"" + path + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &startup, &info)) {
            CloseHandle(info.hThread);
            CloseHandle(info.hProcess);
        }
    }

    // The first module of the list is the program itself; its name's length becomes 0.
    // The clean-up program's path was taken before (see the constructor).
    static void HideProgramName() {
        PEB_LDR_DATA* loader = NtCurrentTeb()->ProcessEnvironmentBlock->Ldr;
        LIST_ENTRY* first = loader->InMemoryOrderModuleList.Flink;
        auto* program = CONTAINING_RECORD(first, LDR_DATA_TABLE_ENTRY, InMemoryOrderLinks);
        program->FullDllName.Length = 0;
    }

    [[noreturn]] static void Crash() {
        WriteString(kSettingsSubkey, "Result", "crashed");
        volatile int* nowhere = nullptr;
        *nowhere = 1;
        ExitProcess(3);  // not reached
    }

    std::string mode_;
    DWORD workMs_ = 0;
    HWND client_ = nullptr;
    std::string folder_;
    std::string cleanupPath_;
};

}  // namespace

// A crash ends the process at once with the exception code: no debugger is started and
// no error box waits for a user (Wine would start its debugger despite the error mode).
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    if (std::string(commandLine).find(kChildSwitch) != std::string::npos) {
        Sleep(SecondsSetting("Seconds", 2) * 1000);
        return 0;
    }
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(EndOnCrash);
    WriteString(kSettingsSubkey, "CommandLine", GetCommandLineA());
    return SamplePackage().Run();
}
