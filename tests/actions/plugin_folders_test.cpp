// Recording the browser's plug-in folders and checking them for the plug-in files.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "actions/plugin_folders.h"
#include "win32_helpers.h"
#include "registry/setup_services.h"

namespace {

const char kBrowser[] = "Software\\Netscape\\Netscape Navigator";
const char kClient[] = "Software\\VORDA\\OrvalisToolKit\\ClientInstall";

class PluginFolders : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Netscape"));
        ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\VORDA"));
    }
    static void AddVersion(const std::string& version, const std::string& mainName,
                           const std::string& folder, DWORD type = REG_SZ) {
        ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE,
                                 std::string(kBrowser) + "\\" + version + "\\" + mainName,
                                 "Plugins Directory", folder, type));
    }
    static std::optional<std::string> Recorded(int n) {
        auto value = GetRawValue(HKEY_LOCAL_MACHINE, kClient, "NPPath" + std::to_string(n));
        if (!value) return std::nullopt;
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
        return value->text();
    }
    static bool Record() {
        SetupServices services;
        return RecordPluginFolders(services);
    }
};

TEST_F(PluginFolders, EachVersionGetsTheNextNumberInNameOrder) {
    AddVersion("4.7 (en)", "Main", "C:\\Netscape47\\Plugins");
    AddVersion("4.5 (en)", "MAIN", "C:\\Netscape45\\Plugins");
    EXPECT_TRUE(Record());
    EXPECT_EQ(Recorded(1), "C:\\Netscape45\\Plugins");
    EXPECT_EQ(Recorded(2), "C:\\Netscape47\\Plugins");  // "Main" found in any case
    EXPECT_EQ(Recorded(3), std::nullopt);
}

TEST_F(PluginFolders, VersionsWithoutAStringFolderUseNoNumber) {
    AddVersion("4.0", "MAIN", "%ProgramFiles%\\Netscape\\Plugins", REG_EXPAND_SZ);
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, std::string(kBrowser) + "\\4.1\\Main", "Other", "x"));
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, std::string(kBrowser) + "\\4.2\\Bookmarks",
                             "Plugins Directory", "C:\\wrong"));
    AddVersion("4.8", "main", "C:\\Netscape48\\Plugins");
    EXPECT_TRUE(Record());
    EXPECT_EQ(Recorded(1), "C:\\Netscape48\\Plugins");
    EXPECT_EQ(Recorded(2), std::nullopt);
}

TEST_F(PluginFolders, NoBrowserRecordsNothingAndKeepsEarlierValues) {
    EXPECT_TRUE(Record());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kClient));
    EXPECT_TRUE(PluginFilesPresent());  // no recorded folder: nothing is missing
    // Values of an earlier run that found more folders stay beyond the numbers written now.
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kClient, "NPPath2", "C:\\earlier"));
    AddVersion("4.5", "MAIN", "C:\\now");
    EXPECT_TRUE(Record());
    EXPECT_EQ(Recorded(1), "C:\\now");
    EXPECT_EQ(Recorded(2), "C:\\earlier");
}

TEST_F(PluginFolders, FilesMustBeInEveryRecordedFolder) {
    TempFolder first("ortk_plugins_1");
    TempFolder second("ortk_plugins_2");
    first.AddFile("NPVEX32.DLL");
    first.AddFile("NPVEX32.class");
    second.AddFile("NPVEX32.DLL");
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kClient, "NPPath1", first.path()));
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kClient, "NPPath2", second.path()));
    EXPECT_FALSE(PluginFilesPresent());
    second.AddFile("NPVEX32.class");
    EXPECT_TRUE(PluginFilesPresent());
    // Reading stops at the first missing number: NPPath4 is never looked at.
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kClient, "NPPath4", "C:\\nowhere"));
    EXPECT_TRUE(PluginFilesPresent());
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kClient, "NPPath3", "C:\\nowhere"));
    EXPECT_FALSE(PluginFilesPresent());
}

TEST_F(PluginFolders, ReaderGivesTheFoldersInNumberOrderAndRefusesOverlongOnes) {
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kClient, "NPPath1", "C:\\a"));
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kClient, "NPPath2", "C:\\" + std::string(300, 'b')));
    RecordedFolderReader reader;
    std::string folder;
    ASSERT_TRUE(reader.NextRecordedFolder(folder));
    EXPECT_EQ(folder, "C:\\a");
    EXPECT_FALSE(reader.NextRecordedFolder(folder));
    EXPECT_EQ(folder, "C:\\a");
}

}  // namespace
