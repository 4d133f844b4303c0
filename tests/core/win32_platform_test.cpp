// The Win32 side of the text helpers, under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/module_state.h"
#include "core/text_value.h"

namespace {

DWORD WINAPI PushAndTake(LPVOID object) {
    module::PushWindowObject(object);
    return module::TakeWindowObject() == object ? 1 : 0;
}

TEST(Win32Platform, ProgramFolderIsTheFolderOfThisProgram) {
    char name[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, name, MAX_PATH), 0u);
    std::string expected(name);
    expected.erase(expected.rfind('\\'));
    EXPECT_EQ(ProgramFolder().value_or("?"), expected);
    std::string folder;
    EXPECT_EQ(ProgramFolder(folder), 0);
    EXPECT_EQ(folder, expected);
}

TEST(Win32Platform, FullPathUsesTheCurrentFolder) {
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    TextValue joined;
    std::string expected = JoinPath(joined, current, "sub\\file.txt", '\\', kPathTrimSet);
    EXPECT_EQ(FullPath("sub\\.\\x\\..\\file.txt"), expected);
    EXPECT_EQ(FullPath("C:\\a\\b\\..\\c"), "C:\\a\\c");
}

TEST(Win32Platform, UpperCaseUsesTheSystemRules) {
    TextValue t("hkey_local_machine\\software \xe9");
    UpperCaseText(t);
    EXPECT_EQ(t.str(), "HKEY_LOCAL_MACHINE\\SOFTWARE \xc9");
}

TEST(Win32Platform, ResourceTextOfAMissingEntry) {
    module::Initialize(GetModuleHandleA(nullptr));
    TextValue out("unchanged");
    EXPECT_FALSE(LoadResourceText(1001, out).has_value());
    EXPECT_EQ(out.str(), "unchanged");
}

TEST(Win32Platform, HandOverListReturnsTheEntryOfTheCallingThread) {
    int a = 0, b = 0;
    module::PushWindowObject(&a);
    HANDLE thread = CreateThread(nullptr, 0, PushAndTake, &b, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    EXPECT_EQ(code, 1u);
    EXPECT_EQ(module::TakeWindowObject(), &a);
    EXPECT_EQ(module::TakeWindowObject(), nullptr);
}

}  // namespace
