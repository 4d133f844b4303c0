// The sequence's questions to the installed kit, against the sample kit registered with
// regsvr32 in the test's prefix: whether to stand down, and whether the kit is current.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "actions/kit_classes.h"
#include "win32_helpers.h"
#include "setup/kit_state.h"
#include "setup/stand_down.h"

namespace {

const std::string kKitLibrary = WindowsPathOf(ORTK_KIT_LIBRARY);
const char kSampleKit[] = "Software\\VORDA\\OrvalisToolKit\\SampleKit";
const char kClientKey[] = "Software\\VORDA\\OrvalisToolKit\\ClientInstall";

std::string ClassKey(int group, int order) {
    wchar_t wide[40];
    StringFromGUID2(FindKitClass(group, order)->classId, wide, 40);
    char text[40];
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return std::string("CLSID\\") + text;
}

class InstalledKit : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kKitTree);
        ASSERT_EQ(RunSystemProgram("regsvr32.exe", "/s \"" + kKitLibrary + "\""), 0) << kKitLibrary;
    }
    void TearDown() override {
        CoFreeUnusedLibraries();
        RunSystemProgram("regsvr32.exe", "/u /s \"" + kKitLibrary + "\"");
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kKitTree);
    }
};

TEST_F(InstalledKit, StandsDownOnlyOnATrueAnswerOfASucceedingCall) {
    EXPECT_FALSE(StandDownQuery()) << "no setting: the kit answers false";
    ASSERT_TRUE(SetRawDword(HKEY_LOCAL_MACHINE, kSampleKit, "StandDown", 0));
    EXPECT_FALSE(StandDownQuery());
    ASSERT_TRUE(SetRawDword(HKEY_LOCAL_MACHINE, kSampleKit, "StandDown", 1));
    EXPECT_TRUE(StandDownQuery());
    // A text answer is not a truth value, whatever it says.
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kSampleKit, "StandDown", "true"));
    EXPECT_FALSE(StandDownQuery());
    // A failing call does not count, even with a true answer.
    ASSERT_TRUE(SetRawDword(HKEY_LOCAL_MACHINE, kSampleKit, "StandDown", 1));
    ASSERT_TRUE(SetRawDword(HKEY_LOCAL_MACHINE, kSampleKit, "StandDownResult", 0x80004005));
    EXPECT_FALSE(StandDownQuery());
}

TEST_F(InstalledKit, CurrentWhenEveryClassIsThereAndTheLibraryIsNewer) {
    // Without a setting the checker reports the kit library's own file version, 4.1.0.0.
    EXPECT_TRUE(IsKitCurrent());
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kSampleKit, "Version", "4.0.0.4"));
    EXPECT_TRUE(IsKitCurrent());
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kSampleKit, "Version", "4.0.0.3"));
    EXPECT_FALSE(IsKitCurrent());
}

TEST_F(InstalledKit, AnyMissingClassMakesTheKitNotCurrent) {
    ASSERT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, ClassKey(1, 3)));
    EXPECT_FALSE(IsKitCurrent());
    RunSystemProgram("regsvr32.exe", "/s \"" + kKitLibrary + "\"");
    ASSERT_TRUE(IsKitCurrent());
    ASSERT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, ClassKey(2, 2)));
    EXPECT_FALSE(IsKitCurrent());
}

TEST_F(InstalledKit, PluginFilesMustBeInEveryRecordedFolder) {
    TempFolder first("ortk-plugins-1"), second("ortk-plugins-2");
    first.AddFile("NPVEX32.DLL");
    first.AddFile("NPVEX32.class");
    second.AddFile("NPVEX32.DLL");
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kClientKey, "NPPath1", first.path()));
    EXPECT_TRUE(IsKitCurrent());
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kClientKey, "NPPath2", second.path()));
    EXPECT_FALSE(IsKitCurrent());
    second.AddFile("NPVEX32.class");
    EXPECT_TRUE(IsKitCurrent());
}

TEST(KitNotInstalled, NeitherStandsDownNorIsCurrent) {
    RunSystemProgram("regsvr32.exe", "/u /s \"" + kKitLibrary + "\"");
    EXPECT_FALSE(StandDownQuery());
    EXPECT_FALSE(IsKitCurrent());
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // The set-up's own COM initialisation, which the checks nest inside.
    CoInitialize(nullptr);
    int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
