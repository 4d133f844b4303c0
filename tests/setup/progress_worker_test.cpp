// The package worker on its own: starting the package installer, waiting for it and its
// clean-up program, and the registry editor runs for the scripts present.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "actions/process_finder.h"
#include "core/handles.h"
#include "core/product.h"
#include "core/text_value.h"
#include "setup/package_worker.h"

namespace {

struct RecordingHost : PackageRunHost {
    int timerStops = 0;
    int barFills = 0;
    std::vector<std::string> logLines;
    bool hasStatus = false;
    std::uint32_t status = 0;

    void StopTimer() override { ++timerStops; }
    void FillBar() override { ++barFills; }
    bool WriteLogLine(const char* message) override {
        logLines.push_back(message);
        return true;
    }
    bool ReadInstallStatus(std::uint32_t& value) override {
        value = status;
        return hasStatus;
    }
};

std::string ShortForm(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : path;
}

// The processor a program file is built for (its PE header's Machine field), 0 if unreadable.
// Read with the WOW64 file-system redirector off: it sends this program's Regedit.exe of the
// Windows folder to the 32-bit editor, a special case that does not hold for every caller.
unsigned ImageMachine(const std::string& path) {
    using RedirectionFn = BOOL(WINAPI*)(PVOID*);
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    auto disable = reinterpret_cast<RedirectionFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
    auto revert = reinterpret_cast<RedirectionFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
    PVOID state = nullptr;
    bool disabled = disable && revert && disable(&state);
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (disabled) revert(&state);
    if (!file) return 0;
    unsigned char head[4096] = {};
    DWORD got = 0;
    if (!ReadFile(file.get(), head, sizeof head, &got, nullptr) || got < 0x40) return 0;
    DWORD pe = head[0x3C] | head[0x3D] << 8 | head[0x3E] << 16 | head[0x3F] << 24;
    if (pe + 6 > got || head[pe] != 'P' || head[pe + 1] != 'E') return 0;
    return head[pe + 4] | head[pe + 5] << 8;
}

void WriteFile(const std::string& path, const char* text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(file, text, lstrlenA(text), &written, nullptr);
    CloseHandle(file);
}

void SetSamplePackage(const char* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\VORDA\\OrvalisToolKit\\SamplePackage",
                              0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

void SetSamplePackageText(const char* name, const std::string& text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\VORDA\\OrvalisToolKit\\SamplePackage",
                              0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

std::string SamplePackageText(const char* name) {
    char buffer[256] = {};
    DWORD size = sizeof buffer - 1;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\VORDA\\OrvalisToolKit\\SamplePackage", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return std::string();
    RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return buffer;
}

class RegistryScripts : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "Set-up Medium With Long Name";
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        for (const char* name : kRegistryScripts) {
            DeleteFileA((folder_ + "\\" + name).c_str());
            RemoveDirectoryA((folder_ + "\\" + name).c_str());
        }
        RemoveDirectoryA(folder_.c_str());
    }
    std::vector<std::string> Import() {
        std::vector<std::string> commands;
        ImportRegistryScriptsFrom(folder_, [&](const std::string& c) { commands.push_back(c); });
        return commands;
    }
    std::string folder_;
};

TEST_F(RegistryScripts, OnlyDevRegGivesOneRunWithItsShortPathQuoted) {
    WriteFile(folder_ + "\\Dev.REG", "REGEDIT4\r\n");
    std::vector<std::string> commands = Import();
    ASSERT_EQ(commands.size(), 1u);
    std::string shortFolder = ShortForm(folder_);
    ASSERT_NE(shortFolder, folder_);
    // The system's editor by full path, never one found next to the set-up or on the path,
    // and one of this program's own kind: on 64-bit Windows the Windows folder's editor is
    // the 64-bit one, which would write the registry view this program never reads.
    std::string command = commands[0];
    std::string suffix = " -s \"" + shortFolder + "\\Dev.REG\"";
    ASSERT_GT(command.size(), suffix.size());
    EXPECT_EQ(lstrcmpiA(command.substr(command.size() - suffix.size()).c_str(), suffix.c_str()), 0)
        << command;
    std::string editor = command.substr(0, command.size() - suffix.size());
    if (editor.size() > 2 && editor.front() == '"' && editor.back() == '"')
        editor = editor.substr(1, editor.size() - 2);
    ASSERT_GT(editor.size(), 3u);
    EXPECT_EQ(editor.substr(1, 2), ":\\") << editor;
    EXPECT_EQ(lstrcmpiA(editor.substr(editor.size() - 12).c_str(), "\\Regedit.exe"), 0) << editor;
    EXPECT_EQ(ImageMachine(editor), sizeof(void*) == 4 ? 0x14C : 0x8664) << editor;
}

TEST_F(RegistryScripts, EveryScriptPresentRunsInTheFixedOrderAndFoldersAreSkipped) {
    WriteFile(folder_ + "\\QA.REG", "REGEDIT4\r\n");
    WriteFile(folder_ + "\\FR.REG", "REGEDIT4\r\n");
    WriteFile(folder_ + "\\Dev.REG", "REGEDIT4\r\n");
    CreateDirectoryA((folder_ + "\\ORTK.REG").c_str(), nullptr);
    std::vector<std::string> commands = Import();
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_NE(commands[0].find("\\FR.REG\""), std::string::npos);
    EXPECT_NE(commands[1].find("\\Dev.REG\""), std::string::npos);
    EXPECT_NE(commands[2].find("\\QA.REG\""), std::string::npos);
    EXPECT_TRUE(Import().size() == 3u);
}

TEST(RunPackage, AnEmptyPackageCannotStartAndIsLogged) {
    RecordingHost host;
    EXPECT_FALSE(RunPackage(host, ""));
    EXPECT_EQ(host.timerStops, 1);
    EXPECT_EQ(host.barFills, 0);
    EXPECT_EQ(host.logLines, std::vector<std::string>{"Spawning process failed "});
}

// The sample package lies in the build folder's package\ folder, next to _ISDel.exe.
const char kSamplePackage[] = "..\\..\\package\\OrvalisKit.exe";

// Whether a process with the package's path could be found while RunPackage waited: from
// the end of its pause after the start, when its waits begin.
class PackageWatcher {
public:
    explicit PackageWatcher(std::string path)
        : path_(std::move(path)), thread_(CreateThread(nullptr, 0, &Watch, this, 0, nullptr)) {}
    ~PackageWatcher() {
        stop_ = true;
        if (thread_) WaitForSingleObject(thread_.get(), INFINITE);
    }
    bool SawIt() const { return seen_; }

private:
    // A Win32 thread: the C++ library of the Windows build has no std::thread.
    static DWORD WINAPI Watch(LPVOID parameter) {
        auto* self = static_cast<PackageWatcher*>(parameter);
        ProcessFinder finder;
        Sleep(1000);
        while (!self->stop_) {
            if (finder.FindProcess(self->path_.c_str(), 0)) self->seen_ = true;
            Sleep(300);
        }
        return 0;
    }
    std::string path_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> seen_{false};
    UniqueHandle thread_;
};

struct PackageRunCase {
    const char* mode;
    DWORD seconds, cleanupSeconds;
    DWORD atLeastMs;
    bool foundByPath;
};

TEST(RunPackage, WaitsForThePackageAndItsCleanUpProgramThenFillsTheBar) {
    const PackageRunCase cases[] = {
        // 2 s of package work (the 1 s pause runs meanwhile), 3 s of clean-up, the 5 s pause.
        {"normal", 2, 3, 9500, true},
        // A package whose module list gives other processes no program path (as a 64-bit
        // one's does to this 32-bit program): its image name still tells the path, so the
        // wait by path finds it too; the run is held for the 6 s of work, then the 5 s pause.
        {"hidden", 6, 0, 10500, true},
    };
    std::string folder = FullPath(ProgramFolder().value_or("") + "\\..\\..\\package");
    for (const PackageRunCase& c : cases) {
        SCOPED_TRACE(c.mode);
        SetSamplePackageText("Mode", c.mode);
        SetSamplePackageText("Result", "");
        SetSamplePackage("Seconds", c.seconds);
        SetSamplePackage("CleanupSeconds", c.cleanupSeconds);
        RecordingHost host;
        host.hasStatus = true;
        host.status = 5;
        DWORD start = GetTickCount();
        bool seen = false;
        {
            PackageWatcher watcher(folder + "\\OrvalisKit.exe");
            ASSERT_TRUE(RunPackage(host, kSamplePackage));
            seen = watcher.SawIt();
        }
        DWORD elapsed = GetTickCount() - start;
        EXPECT_EQ(seen, c.foundByPath);
        // The package writes its outcome as it ends (no kit folder here: "failed").
        EXPECT_NE(SamplePackageText("Result"), "") << "the run ended before the package";
        EXPECT_GE(elapsed, c.atLeastMs);
        EXPECT_LT(elapsed, 30000u);
        EXPECT_EQ(host.barFills, 1);
        EXPECT_EQ(host.timerStops, 0);
        EXPECT_EQ(host.logLines, std::vector<std::string>{"You may have to restart"});

        ProcessFinder finder;
        EXPECT_FALSE(finder.FindProcess((folder + "\\_ISDel.exe").c_str(), 0));
    }
    SetSamplePackageText("Mode", "");
}

}  // namespace
