// Web pages, local files and programs opened through the real shell of the test prefix,
// whose associations point at the recorder.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shldisp.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "actions/web_page.h"
#include "core/handles.h"
#include "core/platform.h"
#include "import_slot.h"
#include "recorder_client.h"
#include "registry/setup_services.h"

// The slot through which this program's code calls ShellExecuteExA.
ORTK_IMPORT_SLOT(shellExecuteExSlot, ShellExecuteExA, 4);

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

// A desktop shell that opens what it is given with the shell's plain call (not the recorded
// one), as the desktop's explorer would, or refuses; it notes each file, and whether the
// call kept its contract: a component string, nothing but the show command in the rest.
#define ORTK_NOT_USED(name, ...) \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return E_NOTIMPL; }
class FakeDesktopShell : public IShellDispatch2 {
public:
    explicit FakeDesktopShell(bool opens) : opens_(opens) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE ShellExecute(BSTR file, VARIANT arguments, VARIANT folder,
                                           VARIANT verb, VARIANT show) override {
        std::string name = file ? platform::WideToAnsi(file) : "";
        asked.push_back(name);
        keptContract = file && SysStringLen(file) == std::wcslen(file) &&
                       arguments.vt == VT_EMPTY && folder.vt == VT_EMPTY && verb.vt == VT_EMPTY &&
                       show.vt == VT_I4 && show.lVal == SW_SHOWNORMAL;
        // Explorer answers S_FALSE, not an error, when its own open fails.
        if (!opens_) return S_FALSE;
        return reinterpret_cast<INT_PTR>(::ShellExecuteA(nullptr, nullptr, name.c_str(), nullptr,
                                                       nullptr, SW_SHOWNORMAL)) > 32
                   ? S_OK
                   : S_FALSE;
    }
    ORTK_NOT_USED(GetTypeInfoCount, UINT*)
    ORTK_NOT_USED(GetTypeInfo, UINT, LCID, ITypeInfo**)
    ORTK_NOT_USED(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
    ORTK_NOT_USED(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
    ORTK_NOT_USED(get_Application, IDispatch**)
    ORTK_NOT_USED(get_Parent, IDispatch**)
    ORTK_NOT_USED(NameSpace, VARIANT, Folder**)
    ORTK_NOT_USED(BrowseForFolder, LONG, BSTR, LONG, VARIANT, Folder**)
    ORTK_NOT_USED(Windows, IDispatch**)
    ORTK_NOT_USED(Open, VARIANT)
    ORTK_NOT_USED(Explore, VARIANT)
    ORTK_NOT_USED(MinimizeAll)
    ORTK_NOT_USED(UndoMinimizeALL)
    ORTK_NOT_USED(FileRun)
    ORTK_NOT_USED(CascadeWindows)
    ORTK_NOT_USED(TileVertically)
    ORTK_NOT_USED(TileHorizontally)
    ORTK_NOT_USED(ShutdownWindows)
    ORTK_NOT_USED(Suspend)
    ORTK_NOT_USED(EjectPC)
    ORTK_NOT_USED(SetTime)
    ORTK_NOT_USED(TrayProperties)
    ORTK_NOT_USED(Help)
    ORTK_NOT_USED(FindFiles)
    ORTK_NOT_USED(FindComputer)
    ORTK_NOT_USED(RefreshMenu)
    ORTK_NOT_USED(ControlPanelItem, BSTR)
    ORTK_NOT_USED(IsRestricted, BSTR, BSTR, LONG*)
    ORTK_NOT_USED(FindPrinter, BSTR, BSTR, BSTR)
    ORTK_NOT_USED(GetSystemInformation, BSTR, VARIANT*)
    ORTK_NOT_USED(ServiceStart, BSTR, VARIANT, VARIANT*)
    ORTK_NOT_USED(ServiceStop, BSTR, VARIANT, VARIANT*)
    ORTK_NOT_USED(IsServiceRunning, BSTR, VARIANT*)
    ORTK_NOT_USED(CanStartStopService, BSTR, VARIANT*)
    ORTK_NOT_USED(ShowBrowserBar, BSTR, VARIANT, VARIANT*)

    std::vector<std::string> asked;
    bool keptContract = false;

private:
    bool opens_;
};
#undef ORTK_NOT_USED

// The route of a set-up that may run elevated, with the system's desktop shell, none, or
// a fake one that opens or refuses.
enum class Desktop { System, None, Refuses, Opens };

class FakeRoute : public LaunchRoute {
public:
    FakeRoute(bool elevated, Desktop desktop)
        : shell(desktop == Desktop::Opens), elevated_(elevated), desktop_(desktop) {}
    bool Elevated() const override { return elevated_; }
    ComPtr<IShellDispatch2> DesktopShell() const override {
        ++desktopAsked;
        if (desktop_ == Desktop::System) return LaunchRoute::DesktopShell();
        ComPtr<IShellDispatch2> found;
        if (desktop_ != Desktop::None) *found.put() = &shell;
        return found;
    }
    mutable FakeDesktopShell shell;
    mutable int desktopAsked = 0;

private:
    bool elevated_;
    Desktop desktop_;
};

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
        // Wine reports every process elevated: the cases take the plain route unless they
        // choose their own.
        UseLaunchRoute(&notElevated);
        realShellExecuteEx = reinterpret_cast<ShellExecuteExFunction>(shellExecuteExSlot);
        PointShellExecuteExAt(reinterpret_cast<void*>(&RecordingShellExecuteEx));
    }
    void TearDown() override {
        PointShellExecuteExAt(reinterpret_cast<void*>(realShellExecuteEx));
        UseLaunchRoute(nullptr);
        // Pages open moments before the set-up ends: every launch must be complete when
        // the call returns, and no launch may show the shell's error boxes.
        for (ULONG mask : launchMasks) {
            EXPECT_EQ(mask & (SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI),
                      static_cast<ULONG>(SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI));
        }
        SetCurrentDirectoryA(ProgramFolderOfTest().c_str());
        for (const std::string& file : created) DeleteFileA(file.c_str());
        for (const std::string& made : folders) RemoveDirectoryA(made.c_str());
        EXPECT_TRUE(recorder::ClearLog(log));
        RemoveDirectoryA(folder.c_str());
    }

    void Launch(const char* target, const char* base = nullptr, const char* parameters = nullptr) {
        LaunchWebPage(target, base, parameters);
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
        ExpectRecorded(expected, line);
    }
    // The same, whichever route the launch took.
    void ExpectRecorded(const std::string& expected, int line) {
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
    FakeRoute notElevated{false, Desktop::Refuses};
    std::string folder;
    std::string log;
    std::vector<std::string> created;
    std::vector<std::string> folders;
};

TEST_F(WebPageLaunch, WebAddressesGoToTheShellUnchanged) {
    const char* addresses[] = {"http://www.example.com/start.htm?lang=en",
                               "https://secure.example.com/a b"};
    for (const char* address : addresses) {
        EXPECT_TRUE(recorder::ClearLog(log));
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
    // Not a page: an elevated set-up still starts it itself, with its own environment.
    FakeRoute elevated(true, Desktop::Opens);
    UseLaunchRoute(&elevated);
    SetEnvironmentVariableA("ORTK_RECORDER_LOG", log.c_str());
    Launch("vxtray.exe", (kit + "\\").c_str(), "-Kill");
    auto records = recorder::WaitForRecords(log, 1, 20000);
    SetEnvironmentVariableA("ORTK_RECORDER_LOG", nullptr);
    EXPECT_EQ(0, elevated.desktopAsked);
    EXPECT_EQ(1u, launchMasks.size());
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

TEST_F(WebPageLaunch, ElevatedSetUpOpensPagesThroughTheDesktopsShellElseAsBefore) {
    std::string name = "after_first_visit-" + std::to_string(GetCurrentProcessId()) + ".htm";
    std::string page = Touch(ProgramFolderOfTest() + "\\" + name);
    std::string address = "http://www.example.com/first.htm";
    struct Row {
        bool elevated;
        Desktop desktop;
        std::string target;
        std::string opened;  // as the shell gets it; empty: nothing opens
        bool desktopAsked;
        bool plainRoute;  // ShellExecuteExA
        const char* what;
    };
    const Row rows[] = {
        {false, Desktop::Opens, name, page, false, true, "not elevated: as before"},
        {true, Desktop::Opens, name, page, true, false, "elevated: through the desktop"},
        {true, Desktop::Opens, address, address, true, false, "elevated, web address"},
        {true, Desktop::None, name, page, true, true, "no desktop shell: as before"},
        {true, Desktop::Refuses, name, page, true, true, "desktop refuses: as before"},
        // The desktop's shell would show an error box for it.
        {true, Desktop::Opens, "no-such-page.htm", "", false, true, "missing page: as before"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_TRUE(recorder::ClearLog(log));
        launchMasks.clear();
        FakeRoute route(row.elevated, row.desktop);
        UseLaunchRoute(&route);
        Launch(row.target.c_str());
        EXPECT_EQ(row.desktopAsked ? 1 : 0, route.desktopAsked);
        if (row.desktopAsked && row.desktop != Desktop::None) {
            EXPECT_EQ(std::vector<std::string>{row.opened}, route.shell.asked);
            EXPECT_TRUE(route.shell.keptContract);
        }
        EXPECT_EQ(row.plainRoute ? 1u : 0u, launchMasks.size());
        if (!row.opened.empty()) {
            ExpectRecorded(row.opened, __LINE__);
        } else {
            ExpectNothingOpened(__LINE__);
        }
    }
}

TEST_F(WebPageLaunch, ElevatedSetUpOpensThePageWhicheverRouteTheSystemTakes) {
    // The prefix's own desktop shell, whether it has one and whether it opens the page: the
    // page opens once either way.
    std::string name = "first_visit-" + std::to_string(GetCurrentProcessId()) + ".htm";
    std::string page = Touch(ProgramFolderOfTest() + "\\" + name);
    FakeRoute route(true, Desktop::System);
    UseLaunchRoute(&route);
    Launch(name.c_str());
    EXPECT_EQ(1, route.desktopAsked);
    ExpectRecorded(page, __LINE__);
    const char* taken = launchMasks.empty() ? "the desktop's shell" : "ShellExecuteExA";
    RecordProperty("route", taken);
    std::printf("route taken: %s\n", taken);
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
