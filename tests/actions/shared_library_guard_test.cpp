// The reference count of the system folder's ImageHlp.dll: raised to 10, never lowered.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "actions/shared_library_guard.h"
#include "win32_helpers.h"

namespace {

const char kSharedDlls[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

std::string LibraryPath() {
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\ImageHlp.dll";
}

class SharedLibraryCount : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DeleteRawValue(HKEY_LOCAL_MACHINE, kSharedDlls, LibraryPath()));
    }
    void TearDown() override { DeleteRawValue(HKEY_LOCAL_MACHINE, kSharedDlls, LibraryPath()); }
    static void Guard() { SharedLibraryGuard guard; }
    static void ExpectCount(DWORD expected, int line) {
        auto value = GetRawValue(HKEY_LOCAL_MACHINE, kSharedDlls, LibraryPath());
        ASSERT_TRUE(value) << "line " << line;
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_DWORD)) << "line " << line;
        EXPECT_EQ(value->bytes.size(), 4u) << "line " << line;
        EXPECT_EQ(value->dword(), expected) << "line " << line;
    }
};

TEST_F(SharedLibraryCount, MissingOrLowCountBecomesTen) {
    Guard();
    ExpectCount(10, __LINE__);
    for (DWORD low : {0u, 3u, 9u}) {
        ASSERT_TRUE(SetRawDword(HKEY_LOCAL_MACHINE, kSharedDlls, LibraryPath(), low));
        Guard();
        ExpectCount(10, __LINE__);
    }
}

TEST_F(SharedLibraryCount, CountOfTenOrMoreIsLeftAlone) {
    for (DWORD high : {10u, 57u, 0xFFFFFFFFu}) {
        ASSERT_TRUE(SetRawDword(HKEY_LOCAL_MACHINE, kSharedDlls, LibraryPath(), high));
        Guard();
        ExpectCount(high, __LINE__);
    }
}

TEST_F(SharedLibraryCount, CountStoredAsAnotherTypeIsReplacedByTen) {
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kSharedDlls, LibraryPath(), "57"));
    Guard();
    ExpectCount(10, __LINE__);
    const BYTE twoBytes[] = {57, 0};
    ASSERT_TRUE(SetRawValue(HKEY_LOCAL_MACHINE, kSharedDlls, LibraryPath(), REG_BINARY, twoBytes, 2));
    Guard();
    ExpectCount(10, __LINE__);
}

}  // namespace
