// The application object in this process: start-up with a description and resource
// library of the test's own, the hidden main window, shut-down and the error report.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <utility>
#include <vector>

#include "core/handles.h"
#include "core/module_state.h"
#include "core/result_codes.h"
#include "description/xml_element_source.h"
#include "import_slot.h"
#include "recorder_client.h"
#include "setup/setup_application.h"

// The slot through which this program's code calls SHAppBarMessage.
ORTK_IMPORT_SLOT(appBarMessageSlot, SHAppBarMessage, 8);

namespace {

using AppBarMessageFunction = UINT_PTR(WINAPI*)(DWORD, APPBARDATA*);
AppBarMessageFunction realAppBarMessage = nullptr;
std::vector<std::pair<DWORD, HWND>> appBarMessages;  // as the shell received them

UINT_PTR WINAPI RecordingAppBarMessage(DWORD message, APPBARDATA* data) {
    appBarMessages.emplace_back(message, data->hWnd);
    return realAppBarMessage(message, data);
}

void PointAppBarMessageAt(void* function) {
    DWORD old = 0;
    VirtualProtect(&appBarMessageSlot, sizeof(void*), PAGE_READWRITE, &old);
    appBarMessageSlot = function;
    VirtualProtect(&appBarMessageSlot, sizeof(void*), old, &old);
}

std::string TestProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string text = path;
    return text.substr(0, text.find_last_of('\\'));
}

std::string Lower(std::string text) {
    if (!text.empty()) CharLowerA(&text[0]);
    return text;
}

void WriteText(const std::string& path, const std::string& text) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(static_cast<bool>(file)) << path;
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// The description is read from the current folder; the resource library is named
// relative to the program's folder, where the test libraries are built.
class ApplicationStart : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        folder = std::string(temp) + "ortk-application-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        SetCurrentDirectoryA(folder.c_str());
        module::Initialize(GetModuleHandleA(nullptr));
        setupResult = SETUP_E_DEFAULT;
    }
    void TearDown() override {
        SetCurrentDirectoryA(TestProgramFolder().c_str());
        DeleteFileA((folder + "\\cd_client.qxml").c_str());
        DeleteFileA((folder + "\\recorder.log").c_str());
        RemoveDirectoryA(folder.c_str());
    }

    void Describe(const char* library) {
        WriteText(folder + "\\cd_client.qxml",
                  std::string("<CD_CLIENT><LANGUAGE KEY=\"LANG_ENGLISH\" RESOURCEDLL=\"") +
                      library + "\" PACKAGE=\"kit.exe\"/></CD_CLIENT>");
    }

    ComScope com;
    std::string folder;
};

TEST_F(ApplicationStart, CreatesTheHiddenMainWindowFromTheLibrary) {
    Describe("entry_titled_library.dll");
    appBarMessages.clear();
    realAppBarMessage = reinterpret_cast<AppBarMessageFunction>(appBarMessageSlot);
    PointAppBarMessageAt(reinterpret_cast<void*>(&RecordingAppBarMessage));
    SetupApplication application;
    ASSERT_TRUE(application.Startup());
    HWND window = application.mainWindow.window;
    ASSERT_NE(nullptr, window);

    // The library is the resource instance: title and icon come from it.
    ASSERT_NE(nullptr, application.resourceLibrary.get());
    EXPECT_EQ(application.resourceLibrary.get(), module::ResourceInstance());
    char text[100] = {};
    GetClassNameA(window, text, sizeof text);
    EXPECT_STREQ("OrvalisToolKit", text);
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ("Orvalis Test Title", text);
    ASSERT_NE(nullptr, module::SetupIcon());
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(module::SetupIcon()), GetClassLongPtrA(window, GCLP_HICON));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(module::SetupIcon()), GetClassLongPtrA(window, GCLP_HICONSM));

    // Above and left of every monitor, shown, with the system menu. The system may cap the
    // height of 1001 at what the screen allows, so the bottom edge is only bounded.
    RECT area = {};
    GetWindowRect(window, &area);
    EXPECT_LE(area.right, GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_LE(area.bottom, GetSystemMetrics(SM_YVIRTUALSCREEN));
    EXPECT_GT(area.right, area.left);
    EXPECT_TRUE(IsWindowVisible(window));
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(static_cast<LONG>(WS_SYSMENU | WS_CLIPCHILDREN), style & (WS_SYSMENU | WS_CLIPCHILDREN));
    // The window took its own hand-over entry.
    EXPECT_EQ(nullptr, module::TakeWindowObject());

    EXPECT_TRUE(application.Shutdown());
    EXPECT_FALSE(IsWindow(window));
    PointAppBarMessageAt(reinterpret_cast<void*>(realAppBarMessage));
    // The desktop toolbar registration is removed before its window goes.
    using Sent = std::vector<std::pair<DWORD, HWND>>;
    EXPECT_EQ(appBarMessages, (Sent{{ABM_NEW, window}, {ABM_REMOVE, window}}));
    EXPECT_EQ(nullptr, application.resourceLibrary.get());
    EXPECT_EQ(nullptr, GetModuleHandleA("entry_titled_library.dll"));
    // Nothing loads from a freed library: the program is the resource instance again.
    EXPECT_EQ(module::ProgramInstance(), module::ResourceInstance());
}

TEST_F(ApplicationStart, SecondStartDefersToTheFirst) {
    Describe("entry_titled_library.dll");
    SetupApplication first;
    ASSERT_TRUE(first.Startup());
    {
        SetupApplication second;
        EXPECT_FALSE(second.Startup());
        EXPECT_EQ(0, setupResult);
        EXPECT_EQ(nullptr, second.mainWindow.window);
    }
    EXPECT_TRUE(IsWindow(first.mainWindow.window));
    first.Shutdown();
}

TEST_F(ApplicationStart, LibraryWithoutTitleStopsBeforeAnyWindow) {
    Describe("entry_untitled_library.dll");
    SetupApplication application;
    EXPECT_FALSE(application.Startup());
    EXPECT_EQ(SETUP_E_DEFAULT, setupResult);
    EXPECT_EQ(nullptr, application.mainWindow.window);
    EXPECT_EQ(nullptr, FindWindowA("OrvalisToolKit", nullptr));
}

TEST_F(ApplicationStart, NoDescriptionStopsAtOnce) {
    SetupApplication application;
    EXPECT_FALSE(application.Startup());
    EXPECT_EQ(SETUP_E_DEFAULT, setupResult);
    EXPECT_EQ(nullptr, application.resourceLibrary.get());
}

TEST_F(ApplicationStart, LibraryThatDoesNotLoadLeavesTheProgramsResources) {
    // Present as a file, so the description takes it, but not a library.
    WriteText(TestProgramFolder() + "\\entry_broken_library.dll", "not a library");
    Describe("entry_broken_library.dll");
    SetupApplication application;
    EXPECT_TRUE(application.Startup());
    EXPECT_EQ(nullptr, application.resourceLibrary.get());
    EXPECT_EQ(module::ProgramInstance(), module::ResourceInstance());
    // This test program carries the program's string table, as setup.exe does.
    char title[100] = {};
    GetWindowTextA(application.mainWindow.window, title, sizeof title);
    EXPECT_STREQ("Vorda Orvalis Tool Kit Installation", title);
    application.Shutdown();
    DeleteFileA((TestProgramFolder() + "\\entry_broken_library.dll").c_str());
}

class ErrorReport : public ApplicationStart {
protected:
    void SetUp() override {
        ApplicationStart::SetUp();
        log = folder + "\\recorder.log";
        ASSERT_TRUE(recorder::RegisterAssociations(log));
    }
    std::string log;
};

TEST_F(ErrorReport, OpensThePageRegisteredForTheCode) {
    std::string name = "entry-error-" + std::to_string(GetCurrentProcessId()) + ".htm";
    std::string page = TestProgramFolder() + "\\" + name;
    WriteText(page, "<html>error</html>");
    ErrorPageTable& pages = ProcessErrorPages();
    pages["0X8067060D"] = name;     // upper-case form of the code
    pages["0X806D0101"] = "";       // registered without a page

    SetupApplication::ReportResult(SETUP_E_NO_RIGHTS);
    SetupApplication::ReportResult(SETUP_E_FOLDER_ACCESS);
    SetupApplication::ReportResult(SETUP_E_KEY_ACCESS);
    // One page, and no second one for the codes without a page.
    auto records = recorder::WaitForRecords(log, 2, 6000);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(Lower(page), Lower(recorder::Unquoted(records[0].arguments)));

    pages.erase("0X8067060D");
    pages.erase("0X806D0101");
    DeleteFileA(page.c_str());
}

// The one message box of the program is owned by the active screen, so that it cannot sit
// behind it; with no window active it stands alone (task-modal). Another thread reads the
// box's owner and answers it.
DWORD WINAPI AnswerAssertion(void* context) {
    auto* owner = static_cast<HWND*>(context);
    for (int tries = 0; tries < 200; ++tries) {
        HWND box = FindWindowA("#32770", "Assertion");
        if (box) {
            *owner = GetWindow(box, GW_OWNER);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return 1;
        }
        Sleep(25);
    }
    return 0;
}

TEST(AssertionBox, IsOwnedByTheActiveScreenOrStandsAlone) {
    for (bool screenActive : {true, false}) {
        SCOPED_TRACE(screenActive ? "a screen is active" : "no window");
        HWND screen = nullptr;
        if (screenActive) {
            screen = CreateWindowExA(0, "STATIC", "screen", WS_POPUP | WS_VISIBLE, 10, 10, 200,
                                     100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
            ASSERT_NE(screen, nullptr);
            SetActiveWindow(screen);
            ASSERT_EQ(GetActiveWindow(), screen);
        }
        HWND owner = reinterpret_cast<HWND>(1);
        UniqueHandle answerer(CreateThread(nullptr, 0, AnswerAssertion, &owner, 0, nullptr));
        ShowAssertionBox();
        ASSERT_EQ(WaitForSingleObject(answerer.get(), 10000), WAIT_OBJECT_0);
        DWORD answered = 0;
        GetExitCodeThread(answerer.get(), &answered);
        EXPECT_EQ(answered, 1u) << "no Assertion box";
        EXPECT_EQ(owner, screen);
        if (screen) DestroyWindow(screen);
    }
}

}  // namespace
