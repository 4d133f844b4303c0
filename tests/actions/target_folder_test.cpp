// The target folder's registry side and its drive tests on the prefix's own drives. The
// free-space choices on real small file systems are in target_folder_space_test.py.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "actions/target_folder.h"
#include "win32_helpers.h"

namespace {

const char kSystem[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kProduct[] = "Software\\VORDA\\OrvalisTOOLKit";

class TargetFolderRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = GetRawValue(HKEY_LOCAL_MACHINE, kSystem, "ProgramFilesDir");
        ASSERT_TRUE(saved_);
        ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\VORDA"));
    }
    void TearDown() override {
        SetRawValue(HKEY_LOCAL_MACHINE, kSystem, "ProgramFilesDir", saved_->type,
                    saved_->bytes.data(), static_cast<DWORD>(saved_->bytes.size()));
        DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\VORDA");
    }
    static std::optional<std::string> Recorded() {
        auto value = GetRawValue(HKEY_LOCAL_MACHINE, kProduct, "Installation_Directory");
        if (!value) return std::nullopt;
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
        return value->text();
    }
    std::optional<RawValue> saved_;
};

TEST_F(TargetFolderRegistry, ProgramFilesDirIsTakenOnlyAsAPlainString) {
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kSystem, "ProgramFilesDir", "D:\\Programs"));
    TargetFolder plain;
    EXPECT_TRUE(plain.ReadProgramFilesDir());
    EXPECT_EQ(plain.path(), "D:\\Programs");

    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kSystem, "ProgramFilesDir",
                             "%SystemDrive%\\Programs", REG_EXPAND_SZ));
    TargetFolder expandable;
    EXPECT_TRUE(expandable.ReadProgramFilesDir());
    EXPECT_EQ(expandable.path(), "");
    // A later unusable value leaves an earlier reading in place.
    EXPECT_TRUE(plain.ReadProgramFilesDir());
    EXPECT_EQ(plain.path(), "D:\\Programs");
}

TEST_F(TargetFolderRegistry, InstallationDirectoryIsWrittenUnderTheProductKey) {
    TargetFolder target;
    target.WriteInstallationDirectory("C:\\Program Files\\Vorda\\OrvalisToolkit");
    EXPECT_EQ(Recorded(), "C:\\Program Files\\Vorda\\OrvalisToolkit");
    target.WriteInstallationDirectory("");
    EXPECT_EQ(Recorded(), "");
    target.WriteInstallationDirectory("C:\\Odd \"quoted\" folder");
    EXPECT_EQ(Recorded(), "C:\\Odd \"quoted\" folder");
}

TEST_F(TargetFolderRegistry, RoomyProgramFilesFolderIsChosenAndRecorded) {
    // The prefix's C: drive lives on the build machine's disk, which has room.
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kSystem, "ProgramFilesDir", "C:\\Program Files"));
    TargetFolder target;
    EXPECT_TRUE(target.ChooseLocation());
    EXPECT_EQ(target.path(), "C:\\Program Files");
    EXPECT_EQ(Recorded(), "C:\\Program Files");
    target.WriteInstallationDirectory((target.path() + kKitSubfolder).c_str());
    EXPECT_EQ(Recorded(), "C:\\Program Files\\Vorda\\OrvalisToolkit");
}

TEST(TargetFolderDrives, EmptyOrMissingNameHasNoRoom) {
    TargetFolder target;
    EXPECT_FALSE(target.HasEnoughSpace(""));
    EXPECT_FALSE(target.HasEnoughSpace(nullptr));
    EXPECT_FALSE(target.HasEnoughSpace("C:\\no such folder here"));
    EXPECT_TRUE(target.HasEnoughSpace("C:"));
    EXPECT_TRUE(target.HasEnoughSpace("C:\\windows"));
}

}  // namespace
