// The rights check on the prefix's real registry and file system: probe files in real
// folders, keys opened for writing, and the program files folder named by the registry.
#include <windows.h>
#include <aclapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/result_codes.h"
#include "setup/install_rights.h"

namespace {

std::string MakeTestFolder(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

void WriteTestFile(const std::string& path, const std::string& content) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadTestFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[256];
    DWORD read = 0;
    ::ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
}

class ProbeFolder : public ::testing::Test {
protected:
    void SetUp() override { folder = MakeTestFolder("ortk-probe"); }
    void TearDown() override {
        for (const std::string& name : FolderEntries(folder)) {
            std::string path = folder + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
        RemoveDirectoryA(folder.c_str());
    }
    std::string folder;
};

TEST_F(ProbeFolder, WritableFolderPassesAndKeepsNoProbeFile) {
    EXPECT_EQ(ProbeFolderWritable(folder.c_str()), 0);
    EXPECT_TRUE(FolderEntries(folder).empty());
}

TEST_F(ProbeFolder, TakenNamesAreSkippedAndLeftAsTheyWere) {
    // Someone else's bw3e8.zpm: the probe goes on to the next name and leaves it alone.
    WriteTestFile(folder + "\\bw3e8.zpm", "not ours");
    FILETIME before = {}, after = {};
    HANDLE file = CreateFileA((folder + "\\bw3e8.zpm").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileTime(file, nullptr, nullptr, &before);
    CloseHandle(file);

    EXPECT_EQ(ProbeFolderWritable(folder.c_str()), 0);

    file = CreateFileA((folder + "\\bw3e8.zpm").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                       OPEN_EXISTING, 0, nullptr);
    GetFileTime(file, nullptr, nullptr, &after);
    CloseHandle(file);
    EXPECT_EQ(ReadTestFile(folder + "\\bw3e8.zpm"), "not ours");
    EXPECT_EQ(CompareFileTime(&before, &after), 0);
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"bw3e8.zpm"});
}

TEST_F(ProbeFolder, NameHeldOpenWithoutSharingIsSkipped) {
    WriteTestFile(folder + "\\bw3e8.zpm", "busy");
    HANDLE held = CreateFileA((folder + "\\bw3e8.zpm").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ProbeFolderWritable(folder.c_str()), 0);
    CloseHandle(held);
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"bw3e8.zpm"});
}

TEST_F(ProbeFolder, EveryNameTakenFails) {
    for (unsigned number = 0x3e8; number <= 0x7cf; ++number) {
        char name[32];
        wsprintfA(name, "\\bw%x.zpm", number);
        WriteTestFile(folder + name, "");
    }
    EXPECT_EQ(ProbeFolderWritable(folder.c_str()), SETUP_E_FOLDER_ACCESS);
    EXPECT_EQ(FolderEntries(folder).size(), 1000u);
}

TEST_F(ProbeFolder, MissingOrUnnamableFolderFails) {
    EXPECT_EQ(ProbeFolderWritable((folder + "\\missing").c_str()), SETUP_E_FOLDER_ACCESS);
    // A folder name too long for any probe name is refused without writing past a buffer.
    std::string longFolder = folder + "\\" + std::string(400, 'x');
    EXPECT_EQ(ProbeFolderWritable(longFolder.c_str()), SETUP_E_FOLDER_ACCESS);
    EXPECT_TRUE(FolderEntries(folder).empty());
}

TEST(CheckKeyWritable, OpensExistingKeysForWritingOnly) {
    EXPECT_EQ(CheckKeyWritable(HKEY_LOCAL_MACHINE, "Software"), 0);
    EXPECT_EQ(CheckKeyWritable(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion"), 0);
    EXPECT_EQ(CheckKeyWritable(HKEY_LOCAL_MACHINE, "Software\\OrtkNoSuchKey"), SETUP_E_KEY_ACCESS);
    // The check must not create what it looks at.
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\OrtkNoSuchKey", 0, KEY_READ, &key),
              ERROR_SUCCESS);
}

TEST(CheckKeyWritable, KeyReadableButNotWritableFails) {
    // A key whose access list grants everyone read access only, as a limited user sees
    // the machine's keys: it opens for reading, and the check refuses it.
    const char* subkey = "Software\\OrtkReadOnlyKey";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    EXPLICIT_ACCESSA entry = {};
    entry.grfAccessPermissions = KEY_READ | DELETE;  // DELETE: the test can still clean up
    entry.grfAccessMode = SET_ACCESS;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    entry.Trustee.ptstrName = const_cast<char*>("EVERYONE");
    PACL acl = nullptr;
    ASSERT_EQ(SetEntriesInAclA(1, &entry, nullptr, &acl), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_EQ(SetSecurityInfo(key, SE_REGISTRY_KEY,
                              DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, acl, nullptr),
              static_cast<DWORD>(ERROR_SUCCESS));
    LocalFree(acl);
    RegCloseKey(key);

    EXPECT_EQ(CheckKeyWritable(HKEY_LOCAL_MACHINE, subkey), SETUP_E_KEY_ACCESS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, subkey), ERROR_SUCCESS);
}

// ProgramFilesDir of the system key, restored after each case.
class ProgramFilesValue : public ::testing::Test {
protected:
    static constexpr char kSubkey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
    void SetUp() override {
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSubkey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        DWORD size = sizeof saved;
        hadValue = RegQueryValueExA(key, "ProgramFilesDir", nullptr, &savedType,
                                    reinterpret_cast<BYTE*>(saved), &size) == ERROR_SUCCESS;
        savedSize = size;
    }
    void TearDown() override {
        if (hadValue)
            RegSetValueExA(key, "ProgramFilesDir", 0, savedType, reinterpret_cast<BYTE*>(saved),
                           savedSize);
        RegCloseKey(key);
    }
    void Set(const std::string& folder, DWORD type = REG_SZ) {
        RegSetValueExA(key, "ProgramFilesDir", 0, type,
                       reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>(folder.size() + 1));
    }
    HKEY key = nullptr;
    bool hadValue = false;
    DWORD savedType = 0, savedSize = 0;
    char saved[MAX_PATH] = {};
};

TEST_F(ProgramFilesValue, DecidesTheCheckWhenItCanBeRead) {
    ASSERT_TRUE(hadValue);
    EXPECT_TRUE(CheckInstallRights());

    Set("C:\\OrtkNoSuchProgramFiles");
    EXPECT_FALSE(CheckInstallRights());

    // Any value type is probed as the folder it names.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    Set(temp, REG_EXPAND_SZ);
    EXPECT_TRUE(CheckInstallRights());
}

TEST_F(ProgramFilesValue, MissingValueLeavesTheSystemFolderResult) {
    RegDeleteValueA(key, "ProgramFilesDir");
    EXPECT_TRUE(CheckInstallRights());
}

}  // namespace
