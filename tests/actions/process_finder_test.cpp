// Finding and waiting for real processes under Wine, started from copies of a small
// sleeper program in a folder with a long name.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/process_finder.h"
#include "core/handles.h"
#include "core/text_value.h"

namespace {

std::string ShortPath(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

struct Child {
    UniqueHandle process;
    DWORD id = 0;
    bool Running() const { return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT; }
};

class ProcessFinderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
        TextValue folder;
        FormatText(folder, "%sKit Process Test %lu", temp, GetCurrentProcessId());
        folder_ = folder.str();
        CreateDirectoryA(folder_.c_str(), nullptr);
        program_ = folder_ + "\\Long Sleeper Program.exe";
        ASSERT_TRUE(CopyFileA((ProgramFolder().value_or("") + "\\process_sleeper.exe").c_str(),
                              program_.c_str(), FALSE));
        shortProgram_ = ShortPath(program_);
        ASSERT_FALSE(shortProgram_.empty());
        ASSERT_NE(shortProgram_, program_) << "no short form given for a long name";
    }
    void TearDown() override {
        for (Child& c : children_) {
            if (c.Running()) TerminateProcess(c.process.get(), 1);
            WaitForSingleObject(c.process.get(), 5000);
        }
        children_.clear();
        DeleteFileA(program_.c_str());
        RemoveDirectoryA(folder_.c_str());
    }

    Child& Start(const std::string& path, int milliseconds) {
        TextValue command;
        FormatText(command, "\"%s\" %d", path.c_str(), milliseconds);
        std::vector<char> line(command.str().begin(), command.str().end());
        line.push_back('\0');
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        children_.emplace_back();
        Child& child = children_.back();
        EXPECT_TRUE(CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &info))
            << path;
        CloseHandle(info.hThread);
        child.process.reset(info.hProcess);
        child.id = info.dwProcessId;
        Sleep(300);  // let the new process map its module before it is looked for
        return child;
    }

    std::string folder_;
    std::string program_;
    std::string shortProgram_;
    std::vector<Child> children_;
};

TEST_F(ProcessFinderTest, NormalizePathGivesTheUpperCaseShortFormOrTheTextUnchanged) {
    std::string expected = shortProgram_;
    CharUpperA(&expected[0]);
    EXPECT_EQ(ProcessFinder::NormalizePath(program_), expected);
    EXPECT_EQ(ProcessFinder::NormalizePath(shortProgram_), expected);
    EXPECT_EQ(ProcessFinder::NormalizePath("C:\\No Such Folder\\Kit Setup.exe"),
              "C:\\No Such Folder\\Kit Setup.exe");
}

struct Listing {
    std::vector<std::string> paths;
    std::vector<DWORD> ids;
    size_t stopAfter = 0;
};

bool Collect(DWORD id, WORD task, const char* path, void* context) {
    auto* listing = static_cast<Listing*>(context);
    EXPECT_EQ(task, 0);
    listing->ids.push_back(id);
    listing->paths.push_back(path);
    return listing->stopAfter == 0 || listing->ids.size() < listing->stopAfter;
}

TEST_F(ProcessFinderTest, EnumerationReportsThisProgramAndStopsWhenAsked) {
    Listing all;
    ASSERT_TRUE(ProcessFinder::EnumerateProcesses(Collect, &all));
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    bool seen = false;
    for (size_t i = 0; i < all.ids.size(); ++i) {
        if (all.ids[i] == GetCurrentProcessId()) {
            seen = true;
            EXPECT_EQ(lstrcmpiA(all.paths[i].c_str(), self), 0) << all.paths[i];
        }
    }
    EXPECT_TRUE(seen);
    ASSERT_GT(all.ids.size(), 1u);

    Listing one;
    one.stopAfter = 1;
    EXPECT_TRUE(ProcessFinder::EnumerateProcesses(Collect, &one));
    EXPECT_EQ(one.ids.size(), 1u);
}

TEST_F(ProcessFinderTest, ShortAndLongSpellingsOfOneProgramMatch) {
    Child& byShort = Start(shortProgram_, 20000);
    ProcessFinder finder;
    EXPECT_TRUE(finder.FindProcess(program_.c_str(), 0));
    EXPECT_EQ(finder.processId, byShort.id);
    EXPECT_TRUE(finder.found);
    EXPECT_EQ(finder.task, 0);

    TerminateProcess(byShort.process.get(), 0);
    WaitForSingleObject(byShort.process.get(), 5000);
    EXPECT_FALSE(finder.FindProcess(program_.c_str(), 0));
    EXPECT_EQ(finder.processId, 0u);

    Child& byLong = Start(program_, 20000);
    EXPECT_TRUE(finder.FindProcess(shortProgram_.c_str(), 0));
    EXPECT_EQ(finder.processId, byLong.id);
    // Prefix mode works on the normalised (upper-case short) folder.
    EXPECT_TRUE(finder.FindProcess(ProcessFinder::NormalizePath(folder_).c_str(), 1));
    EXPECT_FALSE(finder.FindProcess((folder_ + "\\Other.exe").c_str(), 0));
}

TEST_F(ProcessFinderTest, TwoMatchingProcessesAreBothWaitedFor) {
    // Timed from before the first start: a slow start on a busy machine only makes it longer.
    DWORD start = GetTickCount();
    Child& first = Start(program_, 1500);
    Child& second = Start(shortProgram_, 800);
    ProcessFinder finder;
    EXPECT_TRUE(finder.WaitForProcessesToEnd(program_.c_str(), 999999999, 0, 0));
    EXPECT_FALSE(first.Running());
    EXPECT_FALSE(second.Running());
    EXPECT_GE(GetTickCount() - start, 1500u);
}

TEST_F(ProcessFinderTest, PollCountZeroGivesUpOnAProcessThatKeepsRunning) {
    Child& child = Start(program_, 20000);
    DWORD start = GetTickCount();
    ProcessFinder finder;
    EXPECT_FALSE(finder.WaitForProcessesToEnd(program_.c_str(), 0, 0, 0));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 250u);   // first pause plus one poll of about 200 ms
    EXPECT_LT(elapsed, 2000u);
    EXPECT_TRUE(child.Running());
}

TEST_F(ProcessFinderTest, NothingRunningIsTrueAtOnce) {
    DWORD start = GetTickCount();
    ProcessFinder finder;
    EXPECT_TRUE(finder.WaitForProcessesToEnd(program_.c_str(), 0, 0, 0));
    EXPECT_LT(GetTickCount() - start, 1500u);
}

int timerTicks = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        ++timerTicks;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(ProcessFinderTest, WindowsOfTheWaitingThreadAreServedMeanwhile) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ProcessWaitCounter";
    RegisterClassA(&wc);
    HWND window = CreateWindowA("ProcessWaitCounter", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    SetTimer(window, 1, 50, nullptr);
    timerTicks = 0;
    Start(program_, 1500);
    ProcessFinder finder;
    EXPECT_TRUE(finder.WaitForProcessesToEnd(program_.c_str(), 999999999, 0, 0));
    EXPECT_GE(timerTicks, 3);
    KillTimer(window, 1);
    DestroyWindow(window);
}

}  // namespace
