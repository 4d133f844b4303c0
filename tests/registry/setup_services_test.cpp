// SetupServices record helpers on the real registry of the private prefix.
#include <gtest/gtest.h>

#include <string>

#include "registry/setup_services.h"
#include "win32_helpers.h"

namespace {

const char kClient[] = "Software\\VORDA\\OrvalisToolKit\\ClientInstall";
const char kProduct[] = "Software\\VORDA\\OrvalisToolKit";

class SetupServicesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, kKitTree)); }
    void TearDown() override { EXPECT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, kKitTree)); }
};

TEST_F(SetupServicesTest, DwordWriteCreatesTheClientAndProductKeys) {
    SetupServices services;
    services.WriteClientDword("CancelPressed", 4);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kProduct));
    EXPECT_EQ(GetRawDword(HKEY_LOCAL_MACHINE, kClient, "CancelPressed"), 4u);
}

TEST_F(SetupServicesTest, ClientDwordsOfTheSetUpRoundTrip) {
    struct Case {
        const char* name;
        std::uint32_t value;
    } cases[] = {
        {"ClientHandle", 0x000A01F2u}, {"CancelPressed", 0}, {"CancelPressed", 3},
        {"CancelPressed", 4},          {"InstallStatus", 5}, {"InstalledLanguage", 0x0C0C},
        {"ClientInstalled", 1},        {"DEBUG", 0xFFFFFFFFu},
    };
    SetupServices services;
    for (const Case& c : cases) {
        services.WriteClientDword(c.name, c.value);
        EXPECT_EQ(GetRawDword(HKEY_LOCAL_MACHINE, kClient, c.name), c.value) << c.name;
        std::uint32_t read = 0x12345678;
        EXPECT_TRUE(services.ReadClientDword(c.name, read)) << c.name;
        EXPECT_EQ(read, c.value) << c.name;
    }
}

TEST_F(SetupServicesTest, ClientStringsOfTheSetUpRoundTrip) {
    struct Case {
        const char* name;
        const char* text;
    } cases[] = {
        {"BinaryRoot", "D:\\SETUP~1"},
        {"LocalContentRoot", "D:\\Setup\\content"},
        {"LocalXMLPath", "D:\\Setup\\xml"},
        {"UninstallDisplayName", "Orvalis Tool Kit Manager"},
        {"NPPath1", "C:\\Program Files\\Netscape\\Plugins"},
        {"NPPath2", ""},
        {"Quoted", "say \"hi\" to \"x\""},
        {"Special", "100% = @ [x] ] : \xe9t\xe9"},
    };
    SetupServices services;
    for (const Case& c : cases) {
        services.WriteClientString(c.name, c.text);
        std::optional<RawValue> raw = GetRawValue(HKEY_LOCAL_MACHINE, kClient, c.name);
        ASSERT_TRUE(raw) << c.name;
        EXPECT_EQ(raw->type, DWORD(REG_SZ)) << c.name;
        EXPECT_EQ(raw->bytes, std::string(c.text) + '\0') << c.name;
        std::string read = "unchanged";
        EXPECT_TRUE(services.ReadRegistryString(c.name, read, kClientKey)) << c.name;
        EXPECT_EQ(read, c.text) << c.name;
    }
}

TEST_F(SetupServicesTest, LongStringIsStoredWhole) {
    std::string text(20000, 'a');
    text[19999] = 'z';
    SetupServices services;
    services.WriteClientString("Long", text.c_str());
    std::string read;
    EXPECT_TRUE(services.ReadRegistryString("Long", read, kClientKey));
    EXPECT_EQ(read, text);
    // A record too long to format is not written at all, rather than written cut.
    services.WriteClientString("TooLong", std::string(200000, 'b').c_str());
    EXPECT_FALSE(GetRawValue(HKEY_LOCAL_MACHINE, kClient, "TooLong"));
}

TEST_F(SetupServicesTest, InstallationDirectoryIsReadFromTheProductKey) {
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kProduct, "Installation_Directory",
                             "C:\\Program Files\\Vorda\\OrvalisToolkit"));
    SetupServices services;
    std::string folder;
    EXPECT_TRUE(services.ReadRegistryString("Installation_Directory", folder));
    EXPECT_EQ(folder, "C:\\Program Files\\Vorda\\OrvalisToolkit");
    // The product key is the client key's parent: the value is not in the client key.
    std::string other = "unchanged";
    EXPECT_FALSE(services.ReadRegistryString("Installation_Directory", other, kClientKey));
    EXPECT_EQ(other, "unchanged");
}

TEST_F(SetupServicesTest, ProgramFilesDirFromTheSystemKey) {
    std::optional<RawValue> raw = GetRawValue(HKEY_LOCAL_MACHINE,
                                              "Software\\Microsoft\\Windows\\CurrentVersion",
                                              "ProgramFilesDir");
    ASSERT_TRUE(raw);
    SetupServices services;
    std::string folder;
    EXPECT_TRUE(services.ReadRegistryString("ProgramFilesDir", folder, kSystemKey));
    EXPECT_EQ(folder + '\0', raw->bytes);
}

TEST_F(SetupServicesTest, WrongTypesAndMissingValues) {
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kClient, "AsString", "5"));
    ASSERT_TRUE(SetRawDword(HKEY_LOCAL_MACHINE, kClient, "AsDword", 0x00434241));
    ASSERT_TRUE(SetRawDword(HKEY_LOCAL_MACHINE, kClient, "NoZeroByte", 0x44434241));
    const WORD shortNumber = 7;
    ASSERT_TRUE(SetRawValue(HKEY_LOCAL_MACHINE, kClient, "ShortDword", REG_DWORD, &shortNumber, 2));
    ASSERT_TRUE(SetRawValue(HKEY_LOCAL_MACHINE, kClient, "Unterminated", REG_BINARY, "abc", 3));
    SetupServices services;

    std::uint32_t number = 99;
    EXPECT_FALSE(services.ReadClientDword("AsString", number));
    EXPECT_FALSE(services.ReadClientDword("Missing", number));
    // Fewer than four bytes give no number rather than bytes from past the data.
    EXPECT_FALSE(services.ReadClientDword("ShortDword", number));
    EXPECT_EQ(number, 99u);

    std::string text = "unchanged";
    EXPECT_TRUE(services.ReadRegistryString("AsDword", text, kClientKey));
    EXPECT_EQ(text, "ABC");
    EXPECT_TRUE(services.ReadRegistryString("NoZeroByte", text, kClientKey));
    EXPECT_EQ(text, "ABCD");
    EXPECT_TRUE(services.ReadRegistryString("Unterminated", text, kClientKey));
    EXPECT_EQ(text, "abc");
    text = "unchanged";
    EXPECT_FALSE(services.ReadRegistryString("Missing", text, kClientKey));
    EXPECT_FALSE(services.ReadRegistryString("Missing", text));
    EXPECT_EQ(text, "unchanged");
}

TEST_F(SetupServicesTest, ReadsOfAMissingKeyCreateNothing) {
    SetupServices services;
    std::uint32_t number = 1;
    std::string text;
    EXPECT_FALSE(services.ReadClientDword("InstallStatus", number));
    EXPECT_FALSE(services.ReadRegistryString("Installation_Directory", text));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kKitTree));
}

TEST_F(SetupServicesTest, NamesThatWouldChangeTheRecordWriteNothing) {
    SetupServices services;
    // "a\"b" would otherwise write the value "a"; a key path with "@" the default value.
    services.WriteClientDword("a\"b", 1);
    services.WriteClientString("a\"b", "x");
    EXPECT_FALSE(services.WriteRegistryString("a\"b", "x")) << "a refused write says so";
    EXPECT_FALSE(services.WriteRegistryDword("a\"b", 1, kClientKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kKitTree));
    std::string text = "unchanged";
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kProduct, "", "default"));
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kProduct, "a", "wrong"));
    EXPECT_FALSE(services.ReadRegistryString("a\"b", text));
    EXPECT_FALSE(services.ReadRegistryString("Name", text, "HKLM\\Software\\VORDA\\Orvalis@TOOLKIT"));
    EXPECT_FALSE(services.ReadRegistryString("Name", text, "HKLM\\Software\\VORDA]\\OrvalisTOOLKit"));
    EXPECT_EQ(text, "unchanged");
    std::uint32_t number = 5;
    EXPECT_FALSE(services.ReadClientDword(nullptr, number));
    services.WriteClientDword(nullptr, 1);
    services.WriteClientString("NullText", nullptr);
    std::optional<RawValue> raw = GetRawValue(HKEY_LOCAL_MACHINE, kClient, "NullText");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->bytes, std::string(1, '\0'));
}

}  // namespace
