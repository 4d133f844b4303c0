// The whole set-up program run from a disc folder of the test's own, up to the point where
// start-up decides: no description, a resource library without the title, a copy already
// running, and planted libraries that must never load. Pages opened go through the
// prefix's real shell to the recorder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "recorder_client.h"
#include "win32_helpers.h"

namespace {

const char kProgramTitle[] = "Vorda Orvalis Tool Kit Installation";
const char kLibraryTitle[] = "Orvalis Test Title";

std::string BuildPath(const std::string& relative) {
    char build[MAX_PATH] = {};
    GetEnvironmentVariableA("ORTK_BUILD_DIR", build, sizeof build);
    return std::string(build) + "\\" + relative;
}

std::string Lower(std::string text) {
    if (!text.empty()) CharLowerA(&text[0]);
    return text;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteText(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// A description with one English section whose resource library is lang\res.dll and whose
// error page for the default code is pages\error.htm.
const char kDescription[] =
    "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n"
    "<CD_CLIENT XML_ROOT=\"xml\" CONTENT_ROOT=\"content\">\r\n"
    "  <LANGUAGE KEY=\"LANG_ENGLISH\" RESOURCEDLL=\"lang\\res.dll\" PACKAGE=\"package\\kit.exe\"\r\n"
    "            FIRSTVISIT=\"pages\\first.htm\">\r\n"
    "    <ERROR_PAGE KEY=\"DEFAULT\" PATH=\"pages\\error.htm\"/>\r\n"
    "  </LANGUAGE>\r\n"
    "</CD_CLIENT>\r\n";

// Handles what the window system has sent this thread, then waits up to 20 ms for more.
void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
}

// Brings a window of this thread to the front and pumps its messages until the window
// system has agreed for a moment: under load the X server's focus change can arrive late
// and otherwise undo a later change made by the set-up.
void BringToFront(HWND window) {
    SetForegroundWindow(window);
    DWORD start = GetTickCount(), steady = start;
    while (GetTickCount() - start < 5000 && GetTickCount() - steady < 300) {
        PumpMessages();
        if (GetForegroundWindow() != window) {
            SetForegroundWindow(window);
            steady = GetTickCount();
        }
    }
}

// The front window once this thread has handled what the window system sent it (an
// activation asked for by another process arrives as a message), waiting up to three
// seconds for the expected one.
HWND FrontWindowAfterMessages(HWND expected) {
    DWORD start = GetTickCount();
    while (GetForegroundWindow() != expected && GetTickCount() - start < 3000) PumpMessages();
    return GetForegroundWindow();
}

// Window class and title of a running set-up, with an owned screen as its last active pop-up.
class RunningCopy {
public:
    explicit RunningCopy(const char* title) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "OrvalisToolKit";
        RegisterClassA(&windowClass);
        main_ = CreateWindowExA(0, "OrvalisToolKit", title, WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        screen_ = CreateWindowExA(0, "STATIC", "screen", WS_POPUP | WS_CAPTION, 50, 50, 200,
                                  100, main_, nullptr, GetModuleHandleA(nullptr), nullptr);
        ShowWindow(main_, SW_SHOW);
        ShowWindow(screen_, SW_SHOW);
        BringToFront(screen_);
        // Another program's window in front, as when the user switched away.
        other_ = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_CAPTION, 300, 300, 200,
                                 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ShowWindow(other_, SW_SHOW);
        BringToFront(other_);
    }
    ~RunningCopy() {
        DestroyWindow(other_);
        DestroyWindow(screen_);
        DestroyWindow(main_);
        UnregisterClassA("OrvalisToolKit", GetModuleHandleA(nullptr));
    }
    HWND screen() const { return screen_; }
    HWND other() const { return other_; }
    HWND main() const { return main_; }
    // As the user minimises a set-up from its task-bar button: its screens go with it.
    void Minimise() {
        ShowWindow(main_, SW_MINIMIZE);
        BringToFront(other_);
    }

private:
    HWND main_ = nullptr;
    HWND screen_ = nullptr;
    HWND other_ = nullptr;
};

class SetupRun : public ::testing::Test {
protected:
    void SetUp() override {
        // Folders of the test's own, so that a page a slow shell opens for one test late
        // cannot be taken for another test's.
        std::string id = std::to_string(GetCurrentProcessId()) + "-" +
                         ::testing::UnitTest::GetInstance()->current_test_info()->name();
        disc = "C:\\ortk-disc-" + id;
        elsewhere = "C:\\ortk-elsewhere-" + id;
        for (const std::string& folder : {disc, disc + "\\lang", disc + "\\pages", elsewhere})
            CreateDirectoryA(folder.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(BuildPath("src\\setup\\setup.exe").c_str(),
                              (disc + "\\setup.exe").c_str(), FALSE));
        WriteText(disc + "\\pages\\error.htm", "<html>error</html>");
        log = elsewhere + "\\recorder.log";
        ASSERT_TRUE(recorder::RegisterAssociations(log));
    }
    void TearDown() override {
        RemoveFolder(disc);
        RemoveFolder(elsewhere);
    }

    void UseDescription() { WriteText(disc + "\\cd_client.qxml", kDescription); }
    void UseLibrary(const char* built) {
        ASSERT_TRUE(CopyFileA(BuildPath(std::string("tests\\setup\\") + built).c_str(),
                              (disc + "\\lang\\res.dll").c_str(), FALSE));
    }

    // Runs the disc's setup.exe to its end, pumping this thread's messages meanwhile (the
    // stand-in windows belong to it); the exit code.
    DWORD RunSetup(const std::string& currentFolder) {
        return Run("\"" + disc + "\\setup.exe\"", currentFolder);
    }
    DWORD Run(std::string commandLine, const std::string& currentFolder) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0,
                            nullptr, currentFolder.c_str(), &startup, &process))
            return 0xFFFFFFFF;
        CloseHandle(process.hThread);
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 60000) {
            DWORD woken = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 1000, QS_ALLINPUT);
            if (woken == WAIT_OBJECT_0) break;
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        }
        DWORD code = 0xFFFFFFFE;
        if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
        else GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        return code;
    }

    void ExpectNoPage(int line) {
        auto records = recorder::WaitForRecords(log, 1, 4000);
        EXPECT_TRUE(records.empty()) << "called from line " << line << ": opened "
                                     << (records.empty() ? "" : records[0].arguments);
    }

    std::string disc;
    std::string elsewhere;
    std::string log;
};

TEST_F(SetupRun, WithoutDescriptionEndsQuietly) {
    EXPECT_EQ(0u, RunSetup(disc));
    ExpectNoPage(__LINE__);
}

TEST_F(SetupRun, LibraryWithoutTitleOpensTheDefaultErrorPage) {
    UseDescription();
    UseLibrary("entry_untitled_library.dll");
    EXPECT_EQ(0u, RunSetup(disc));
    auto records = recorder::WaitForRecords(log, 1, 20000);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(Lower(disc + "\\pages\\error.htm"), Lower(recorder::Unquoted(records[0].arguments)));
    EXPECT_TRUE(Exists(disc + "\\lang\\res.dll.loaded"));
}

// An exception in a screen's handler or on the package-run worker must not cross the
// system's frames: the screen ends, and the entry's rule opens the page for the code set
// so far. A crash would end the program with another exit code and no page.
TEST_F(SetupRun, FaultInAScreenOrItsWorkerEndsInTheErrorPage) {
    ASSERT_TRUE(CopyFileA(BuildPath("tests\\setup\\fault_host.exe").c_str(),
                          (disc + "\\fault_host.exe").c_str(), FALSE));
    for (const char* where : {"screen", "worker"}) {
        SCOPED_TRACE(where);
        EXPECT_TRUE(recorder::ClearLog(log));
        std::string commandLine = "\"" + disc + "\\fault_host.exe\" " + where + " \"" +
                                  BuildPath("lang\\ortk_en.dll") + "\" pages\\error.htm";
        EXPECT_EQ(0u, Run(commandLine, disc));
        auto records = recorder::WaitForRecords(log, 1, 20000);
        ASSERT_EQ(1u, records.size());
        EXPECT_EQ(Lower(disc + "\\pages\\error.htm"),
                  Lower(recorder::Unquoted(records[0].arguments)));
    }
}

// After a screen's handler failed, the package-run worker is joined while it still waits
// for the package: the thread's windows are served meanwhile, so none shows as not
// responding, and the page for the code opens once the package has ended.
TEST_F(SetupRun, WorkerJoinedAfterAFaultKeepsTheWindowsAnswering) {
    ASSERT_TRUE(CopyFileA(BuildPath("tests\\setup\\fault_host.exe").c_str(),
                          (disc + "\\fault_host.exe").c_str(), FALSE));
    HKEY settings = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\VORDA\\OrvalisToolKit\\SamplePackage",
                              0, nullptr, 0, KEY_WRITE, nullptr, &settings, nullptr),
              ERROR_SUCCESS);
    const DWORD seconds = 6;
    RegSetValueExA(settings, "Mode", 0, REG_SZ, reinterpret_cast<const BYTE*>("long"), 5);
    RegSetValueExA(settings, "Seconds", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&seconds),
                   sizeof seconds);
    CreateDirectoryA((disc + "\\package").c_str(), nullptr);
    for (const char* program : {"OrvalisKit.exe", "_ISDel.exe"})
        ASSERT_TRUE(CopyFileA(BuildPath(std::string("package\\") + program).c_str(),
                              (disc + "\\package\\" + program).c_str(), FALSE));
    std::string commandLine = "\"" + disc + "\\fault_host.exe\" join \"" +
                              BuildPath("lang\\ortk_en.dll") + "\" pages\\error.htm package\\OrvalisKit.exe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                               disc.c_str(), &startup, &started));
    CloseHandle(started.hThread);
    HANDLE host = started.hProcess;
    // The screen fails half a second after it opens; the package works for 6 s.
    Sleep(3000);
    HWND window = FindWindowA(nullptr, "fault_host main");
    EXPECT_NE(window, nullptr);
    EXPECT_EQ(WaitForSingleObject(host, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the worker was not waited for";
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 2000,
                                  &answer), 0)
        << "the window did not answer while the worker was joined";
    EXPECT_EQ(WaitForSingleObject(host, 40000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(host);
    RegDeleteValueA(settings, "Mode");
    RegDeleteValueA(settings, "Seconds");
    RegCloseKey(settings);
    auto records = recorder::WaitForRecords(log, 1, 20000);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(Lower(disc + "\\pages\\error.htm"), Lower(recorder::Unquoted(records[0].arguments)));
}

TEST_F(SetupRun, ScreenThatCannotBeShownOpensTheDefaultErrorPage) {
    // The library has the title but no screen templates: the welcome screen cannot be
    // created at all, which is no answer of the user's, so the run ends with the default
    // code and its page.
    UseDescription();
    UseLibrary("entry_titled_library.dll");
    EXPECT_EQ(0u, RunSetup(disc));
    auto records = recorder::WaitForRecords(log, 1, 20000);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(Lower(disc + "\\pages\\error.htm"), Lower(recorder::Unquoted(records[0].arguments)));
}

TEST_F(SetupRun, SecondCopyBringsTheFirstToTheFront) {
    // The resource library is there but no library (an empty file), so the title the
    // running copy is found by comes from the program itself.
    UseDescription();
    WriteText(disc + "\\lang\\res.dll", "");
    for (bool minimised : {false, true}) {
        SCOPED_TRACE(minimised ? "minimised" : "behind another window");
        RunningCopy running(kProgramTitle);
        if (minimised) running.Minimise();
        ASSERT_EQ(running.other(), GetForegroundWindow());
        EXPECT_EQ(0u, RunSetup(disc));
        HWND front = FrontWindowAfterMessages(running.screen());
        // Restored, its screen shown again. Wine's X11 driver may hand the focus to the
        // restored main window after the screen took it; the copy is in front either way.
        EXPECT_FALSE(IsIconic(running.main()));
        EXPECT_TRUE(IsWindowVisible(running.screen()));
        if (minimised && front == running.main()) front = running.screen();
        EXPECT_EQ(running.screen(), front);
    }
    ExpectNoPage(__LINE__);
}

TEST_F(SetupRun, SecondStartEndsAtOnceWhileTheFirstIsStillStarting) {
    // The first copy holds its mark but has no window yet. Had this run gone on, the
    // library without a title would have been loaded and opened the default error page.
    UseDescription();
    UseLibrary("entry_untitled_library.dll");
    HANDLE first = CreateMutexA(nullptr, FALSE, "OrvalisToolKit.Setup");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(0u, RunSetup(disc));
    CloseHandle(first);
    EXPECT_FALSE(Exists(disc + "\\lang\\res.dll.loaded"));
    ExpectNoPage(__LINE__);
}

TEST_F(SetupRun, ResourceLibraryReplacesTheProgramsStrings) {
    // The library's title decides: a window with the program's own title is another
    // product's set-up, so this run does not stop at it. It ends at the missing title
    // of the library instead, which proves the library was used.
    UseDescription();
    UseLibrary("entry_untitled_library.dll");
    RunningCopy running(kProgramTitle);
    EXPECT_EQ(0u, RunSetup(disc));
    EXPECT_EQ(1u, recorder::WaitForRecords(log, 1, 20000).size());
}

TEST_F(SetupRun, PlantedLibrariesNeverLoadButTheResourceLibraryDoes) {
    // uxtheme.dll is loaded by name by the window system, comctl32.dll by the screens; Wine
    // is told to prefer native copies for setup.exe, as Windows takes one found first.
    UseDescription();
    UseLibrary("entry_titled_library.dll");
    std::string planted = BuildPath("tests\\setup\\entry_planted_library.dll");
    RunningCopy running(kLibraryTitle);

    // Per program, so that only setup.exe prefers the native library.
    const char overrides[] = "Software\\Wine\\AppDefaults\\setup.exe\\DllOverrides";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, overrides, 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr));
    const char order[] = "native,builtin";
    for (const char* name : {"uxtheme", "comctl32"})
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof order);
    RegCloseKey(key);

    // Next to the program, then in the current folder alone.
    for (const std::string& place : {disc, elsewhere}) {
        const std::string copies[] = {place + "\\uxtheme.dll", place + "\\comctl32.dll"};
        for (const std::string& copy : copies)
            ASSERT_TRUE(CopyFileA(planted.c_str(), copy.c_str(), FALSE));
        DeleteFileA((disc + "\\lang\\res.dll.loaded").c_str());
        BringToFront(running.other());
        EXPECT_EQ(0u, RunSetup(elsewhere)) << place;
        for (const std::string& copy : copies) EXPECT_FALSE(Exists(copy + ".loaded")) << copy;
        EXPECT_TRUE(Exists(disc + "\\lang\\res.dll.loaded")) << place;
        // The title from the library found the running copy.
        EXPECT_EQ(running.screen(), FrontWindowAfterMessages(running.screen())) << place;
        for (const std::string& copy : copies) DeleteFileA(copy.c_str());
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, overrides);
    ExpectNoPage(__LINE__);
}

}  // namespace
