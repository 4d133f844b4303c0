// Web pages, local files and programs opened through the real shell of the test prefix,
// whose associations point at the recorder.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/handles.h"
#include "recorder_client.h"
#include "registry/setup_services.h"

// The slot through which this program's code calls ShellExecuteExA.
extern "C" {
#ifdef _WIN64
extern void* shellExecuteExSlot __asm__("__imp_ShellExecuteExA");
#else
extern void* shellExecuteExSlot __asm__("__imp__ShellExecuteExA@4");
#endif
}

namespace {

using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);
ShellExecuteExFunction realShellExecuteEx = nullptr;
std::vector<ULONG> launchMasks;  // as the shell received them

BOOL WINAPI RecordingShellExecuteEx(SHELLEXECUTEINFOA* info) {
    launchMasks.push_back(info->fMask);
    return realShellExecuteEx(info);
}

void PointShellExecuteExAt(void* function) {
    DWORD old = 0;
    VirtualProtect(&shellExecuteExSlot, sizeof(void*), PAGE_READWRITE, &old);
    shellExecuteExSlot = function;
    VirtualProtect(&shellExecuteExSlot, sizeof(void*), old, &old);
}

std::string ProgramFolderOfTest() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string text = path;
    return text.substr(0, text.find_last_of('\\'));
}

std::string Lower(std::string text) {
    CharLowerA(&text[0]);
    return text;
}

class WebPageLaunch : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        folder = std::string(temp) + "ortk-web-page-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        log = folder + "\\recorder.log";
        ASSERT_TRUE(recorder::RegisterAssociations(log));
        launchMasks.clear();
        realShellExecuteEx = reinterpret_cast<ShellExecuteExFunction>(shellExecuteExSlot);
        PointShellExecuteExAt(reinterpret_cast<void*>(&RecordingShellExecuteEx));
    }
    void TearDown() override {
        PointShellExecuteExAt(reinterpret_cast<void*>(realShellExecuteEx));
        // Pages open moments before the set-up ends: every launch must be complete when
        // the call returns, and no launch may show the shell's error boxes.
        for (ULONG mask : launchMasks) {
            EXPECT_EQ(mask & (SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI),
                      static_cast<ULONG>(SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI));
        }
        SetCurrentDirectoryA(ProgramFolderOfTest().c_str());
        for (const std::string& file : created) DeleteFileA(file.c_str());
        for (const std::string& made : folders) RemoveDirectoryA(made.c_str());
        DeleteFileA(log.c_str());
        RemoveDirectoryA(folder.c_str());
    }

    void Launch(const char* target, const char* base = nullptr, const char* parameters = nullptr) {
        SetupServices services;
        services.LaunchWebPage(target, base, parameters);
    }

    // Creates an empty file and notes it for removal.
    std::string Touch(const std::string& path) {
        UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(static_cast<bool>(file)) << path;
        created.push_back(path);
        return path;
    }

    // The single record the launch left, checked against the expected page or address.
    void ExpectOpened(const std::string& expected, int line) {
        EXPECT_FALSE(launchMasks.empty()) << "called from line " << line;
        auto records = recorder::WaitForRecords(log, 1, 20000);
        ASSERT_EQ(1u, records.size()) << "called from line " << line;
        EXPECT_EQ(Lower(expected), Lower(recorder::Unquoted(records[0].arguments)))
            << "called from line " << line;
    }

    void ExpectNothingOpened(int line) {
        auto records = recorder::WaitForRecords(log, 1, 4000);
        EXPECT_TRUE(records.empty()) << "called from line " << line << ": "
                                     << records[0].program << " " << records[0].arguments;
    }

    ComScope com;
    std::string folder;
    std::string log;
    std::vector<std::string> created;
    std::vector<std::string> folders;
};

TEST_F(WebPageLaunch, WebAddressesGoToTheShellUnchanged) {
    const char* addresses[] = {"http://www.example.com/start.htm?lang=en",
                               "https://secure.example.com/a b"};
    for (const char* address : addresses) {
        DeleteFileA(log.c_str());
        Launch(address);
        ExpectOpened(address, __LINE__);
    }
}

TEST_F(WebPageLaunch, UpperCaseSchemeIsTakenAsALocalName) {
    // Joined to the program's folder, the address names no file: the shell opens nothing,
    // where the address itself would have reached the web address handler.
    Launch("HTTP://www.example.com/");
    ExpectNothingOpened(__LINE__);

    std::string name = "HTTPpage-" + std::to_string(GetCurrentProcessId()) + ".htm";
    std::string page = Touch(ProgramFolderOfTest() + "\\" + name);
    Launch(name.c_str());
    ExpectOpened(page, __LINE__);
}

TEST_F(WebPageLaunch, BareFileNameOpensNextToTheProgram) {
    std::string name = "first_visit-" + std::to_string(GetCurrentProcessId()) + ".htm";
    std::string page = Touch(ProgramFolderOfTest() + "\\" + name);
    // The current folder holds a file of the same name that must not be the one opened.
    SetCurrentDirectoryA(folder.c_str());
    Touch(folder + "\\" + name);
    Launch(name.c_str());
    ExpectOpened(page, __LINE__);
}

TEST_F(WebPageLaunch, TrayProgramStartsFromItsFolderWithParameters) {
    std::string kit = folder + "\\Kit";
    CreateDirectoryA(kit.c_str(), nullptr);
    std::string tray = kit + "\\vxtray.exe";
    ASSERT_TRUE(CopyFileA(recorder::RecorderPath().c_str(), tray.c_str(), FALSE));
    created.push_back(tray);
    SetEnvironmentVariableA("ORTK_RECORDER_LOG", log.c_str());
    Launch("vxtray.exe", (kit + "\\").c_str(), "-Kill");
    auto records = recorder::WaitForRecords(log, 1, 20000);
    SetEnvironmentVariableA("ORTK_RECORDER_LOG", nullptr);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(Lower(tray), Lower(records[0].program));
    EXPECT_EQ("-Kill", records[0].arguments);
    folders.push_back(kit);
}

TEST_F(WebPageLaunch, EmptyBaseFolderStartsNothing) {
    // A bare "vxtray.exe" would be looked for in the current folder: a planted copy there
    // must not run.
    SetCurrentDirectoryA(folder.c_str());
    std::string planted = folder + "\\vxtray.exe";
    ASSERT_TRUE(CopyFileA(recorder::RecorderPath().c_str(), planted.c_str(), FALSE));
    created.push_back(planted);
    SetEnvironmentVariableA("ORTK_RECORDER_LOG", log.c_str());
    Launch("vxtray.exe", " ", "-Kill");
    ExpectNothingOpened(__LINE__);
    SetEnvironmentVariableA("ORTK_RECORDER_LOG", nullptr);
}

TEST_F(WebPageLaunch, MissingTargetFailsSilently) {
    Launch((ProgramFolderOfTest() + "\\no-such-page.htm").c_str());
    Launch(nullptr);
    // An empty name must not open the program's folder.
    Launch("");
    Launch(" \t");
    ExpectNothingOpened(__LINE__);
}

}  // namespace
