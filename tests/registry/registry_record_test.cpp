// The registry record grammar: key part, value part and data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/registry_record.h"
#include "registry/registry_script.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(RecordKey, RootNamesIgnoreCaseAndShortForms) {
    struct Case {
        const char* record;
        std::uint32_t root;
        const char* path;
    } cases[] = {
        {"[hklm\\Software\\X]", kRootLocalMachine, "Software\\X"},
        {"[HKEY_LOCAL_MACHINE\\Software\\X]", kRootLocalMachine, "Software\\X"},
        {"[HKEY_LOCAL_MACHINE]", kRootLocalMachine, ""},
        {"[hkey_current_user\\A]\"v\"", kRootCurrentUser, "A"},
        {"[HKCR\\.txt]", kRootClassesRoot, ".txt"},
        {"[HKU\\.DEFAULT]", kRootUsers, ".DEFAULT"},
        {"[HKCC\\System]", kRootCurrentConfig, "System"},
        {"[HKDD\\x]", kRootDynData, "x"},
        {"[HKEY_DYN_DATA]", kRootDynData, ""},
        {"  [HKLM\\ with blanks ]", kRootLocalMachine, " with blanks "},
        {"[HKLM\\a\\b\\c]\"n\"=dword:1", kRootLocalMachine, "a\\b\\c"},
    };
    for (const Case& c : cases) {
        RecordKey key;
        ASSERT_TRUE(ParseRecordKey(c.record, key)) << c.record;
        EXPECT_EQ(key.root, c.root) << c.record;
        EXPECT_EQ(key.subkeyPath, c.path) << c.record;
        // Sign-extended: a 64-bit HKEY_LOCAL_MACHINE is 0xFFFFFFFF80000002.
        EXPECT_LT(RootKeyHandleValue(key.root), 0) << c.record;
    }
}

TEST(RecordKey, MalformedOrUnknownKeysFailAndLeaveTheKeyUnchanged) {
    const char* records[] = {
        "[HKEY_FOO\\Software]",
        "[HKEY_PERFORMANCE_DATA]",
        "[HKLMX\\Software]",
        "\"v\"[HKLM\\Software]",
        "]x[HKLM\\Software]",
        "[HKLM\\Software",
        "HKLM\\Software]",
        "",
        // A double quote or at sign inside the brackets would move the value name.
        "[HKLM\\Soft\"ware]\"Name\"=dword:1",
        "[HKLM\\Soft@ware]\"Name\"=dword:1",
    };
    for (const char* record : records) {
        RecordKey key;
        key.root = 7;
        key.subkeyPath = "before";
        EXPECT_FALSE(ParseRecordKey(record, key)) << record;
        EXPECT_EQ(key.root, 7u) << record;
        EXPECT_EQ(key.subkeyPath, "before") << record;
    }
}

TEST(RecordKey, PathWithExtraPart) {
    RecordKey key = KeyFromPath("HKEY_LOCAL_MACHINE\\Software\\Netscape", "Netscape Navigator");
    EXPECT_EQ(key.root, kRootLocalMachine);
    EXPECT_EQ(key.subkeyPath, "Software\\Netscape\\Netscape Navigator");

    key = KeyFromPath("hkcu\\Software", "");
    EXPECT_EQ(key.root, kRootCurrentUser);
    EXPECT_EQ(key.subkeyPath, "Software");

    // Without a backslash the whole path is the root part and extra the subkey path.
    key = KeyFromPath("HKCU", "Software\\X");
    EXPECT_EQ(key.root, kRootCurrentUser);
    EXPECT_EQ(key.subkeyPath, "Software\\X");

    // An unknown root falls back to HKEY_LOCAL_MACHINE.
    key = KeyFromPath("HKEY_FOO\\Software", "X");
    EXPECT_EQ(key.root, kRootLocalMachine);
    EXPECT_EQ(key.subkeyPath, "Software\\X");
}

struct ValueCase {
    const char* record;
    bool result;
    const char* name;
    std::uint32_t type;
    Bytes data;
};

void ExpectValue(const ValueCase& c) {
    RecordValue value;
    EXPECT_EQ(ParseRecordValue(c.record, value), c.result) << c.record;
    EXPECT_TRUE(value.named) << c.record;
    EXPECT_EQ(value.name, c.name) << c.record;
    EXPECT_EQ(value.type, c.type) << c.record;
    EXPECT_EQ(value.hasData, !c.data.empty()) << c.record;
    EXPECT_EQ(value.data, c.data) << c.record;
}

TEST(RecordValue, DwordData) {
    const ValueCase cases[] = {
        {"[K]\"Name\"=dword:1f", true, "Name", 4, {0x1F, 0, 0, 0}},
        {"[K]\"Name\"=DWORD:1F", true, "Name", 4, {0x1F, 0, 0, 0}},
        {"[K]\"Name\"=DwOrD:12345678", true, "Name", 4, {0x78, 0x56, 0x34, 0x12}},
        {"[K]\"Name\"=DWORD:", true, "Name", 4, {0, 0, 0, 0}},
        {"[K]\"Name\"=DWORD:zz", true, "Name", 4, {0, 0, 0, 0}},
        {"[K]\"Name\"=DWORD:  0x10", true, "Name", 4, {0x10, 0, 0, 0}},
        {"[K]\"Name\"=DWORD:ffffffff", true, "Name", 4, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"[K]\"Name\"=DWORD:123456789", true, "Name", 4, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"[K]\"Name\"=DWORD:-1", true, "Name", 4, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"[K]\"Name\"=DWORD:+2a", true, "Name", 4, {0x2A, 0, 0, 0}},
        {"[K]\"Name\"=DWORD:5 trailing", true, "Name", 4, {5, 0, 0, 0}},
        // The type word is compared whole, blanks included.
        {"[K]\"Name\"= DWORD:1", false, "Name", 0, {}},
        {"[K]\"Name\"=DWORD :1", false, "Name", 0, {}},
        {"[K]\"Name\"=QWORD:1", false, "Name", 0, {}},
    };
    for (const ValueCase& c : cases) ExpectValue(c);
}

TEST(RecordValue, HexData) {
    const ValueCase cases[] = {
        {"[K]\"Name\"=hex:01,ff,2", true, "Name", 3, {0x01, 0xFF, 0x02}},
        {"[K]\"Name\"=HEX:0a0b", true, "Name", 3, {0x0B}},
        {"[K]\"Name\"=hex:  7 ; 8-9", true, "Name", 3, {7, 8, 9}},
        {"[K]\"Name\"=hex:0x,1", true, "Name", 3, {0, 1}},
        {"[K]\"Name\"=hex:0x1f,0X20", true, "Name", 3, {0x1F, 0x20}},
        {"[K]\"Name\"=hex:123456789", true, "Name", 3, {0xFF}},
        {"[K]\"Name\"=hex:", false, "Name", 0, {}},
        {"[K]\"Name\"=hex:,,zz", false, "Name", 0, {}},
    };
    for (const ValueCase& c : cases) ExpectValue(c);
}

TEST(RecordValue, StringData) {
    const ValueCase cases[] = {
        {"[K]\"Name\"=\"abc\"", true, "Name", 1, {'a', 'b', 'c', 0}},
        {"[K]\"Name\"=\"a\"b\"", true, "Name", 1, {'a', '"', 'b', 0}},
        {"[K]\"Name\"=\"\"", true, "Name", 1, {0}},
        {"[K]\"Name\"=\"C:\\Program Files\\X\"", true, "Name", 1,
         {'C', ':', '\\', 'P', 'r', 'o', 'g', 'r', 'a', 'm', ' ', 'F', 'i', 'l', 'e', 's', '\\', 'X', 0}},
        // The string runs to the last double quote of the whole line.
        {"[K]\"Name\"=\"x\" junk\"", true, "Name", 1, {'x', '"', ' ', 'j', 'u', 'n', 'k', 0}},
        {"[K]\"Name\"=\"", false, "Name", 0, {}},
        {"[K]\"Name\"=\"abc", false, "Name", 0, {}},
    };
    for (const ValueCase& c : cases) ExpectValue(c);
}

TEST(RecordValue, NamesAndDefaultValue) {
    const ValueCase cases[] = {
        {"[K]\"Name\"", true, "Name", 0, {}},
        {"[K]\"Name\"=", true, "Name", 0, {}},
        {"[K]\"Name\"=plain", true, "Name", 0, {}},
        {"[K]\"\"=\"x\"", true, "", 1, {'x', 0}},
        {"[K]@=\"x\"", true, "", 1, {'x', 0}},
        {"[K]@=dword:2", true, "", 4, {2, 0, 0, 0}},
        {"[K]\"a=b\"=dword:3", true, "a=b", 4, {3, 0, 0, 0}},
        {"[K]\"mail@host\"=dword:3", true, "mail@host", 4, {3, 0, 0, 0}},
    };
    for (const ValueCase& c : cases) ExpectValue(c);
}

TEST(RecordValue, MissingNameFails) {
    for (const char* record : {"[K]", "[K]=dword:1", "[K]\"unterminated", ""}) {
        RecordValue value;
        value.name = "before";
        EXPECT_FALSE(ParseRecordValue(record, value)) << record;
        EXPECT_FALSE(value.named) << record;
        EXPECT_EQ(value.name, "before") << record;
    }
}

TEST(RecordValue, ParsingDiscardsEarlierData) {
    RecordValue value;
    ASSERT_TRUE(ParseRecordValue("[K]\"A\"=dword:5", value));
    EXPECT_FALSE(ParseRecordValue("[K]\"B\"=hex:", value));
    EXPECT_EQ(value.name, "B");
    EXPECT_FALSE(value.hasData);
    EXPECT_EQ(value.type, 0u);
    EXPECT_TRUE(value.data.empty());
}

TEST(RecordValue, LongStringIsCopiedWhole) {
    std::string text(300000, 'x');
    text[1000] = '"';
    RecordValue value;
    ASSERT_TRUE(ParseRecordValue("[K]\"Big\"=\"" + text + "\"", value));
    ASSERT_EQ(value.data.size(), text.size() + 1);
    EXPECT_EQ(std::string(value.data.begin(), value.data.end() - 1), text);
    EXPECT_EQ(value.data.back(), 0);
}

// Registry scripts as the registry editor reads them: each row is one script, the keys it
// writes (with their value names) and the lines it would refuse.
TEST(RegistryScript, KeysValuesAndRefusedLines) {
    const std::string utf16Script = [] {
        std::string ascii = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\U]\r\n\"n\"=\"v\"\r\n";
        std::string bytes = "\xFF\xFE";
        for (char c : ascii) bytes += std::string{c, '\0'};
        return bytes;
    }();
    struct Case {
        std::string text;
        bool recognised;
        std::vector<std::string> keys;  // "path: value,value" ("-path" for a deleted key)
        std::vector<std::string> problems;
    } cases[] = {
        {"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\V]\r\n\"A\"=\"x \\\"q\\\"\"\r\n"
         "\"B\"=dword:00000001\r\n@=\"d\"\r\n\"C\"=hex:01,02,\\\r\n  03\r\n\"D\"=hex(2):41,00\r\n\"E\"=-\r\n",
         true, {"HKEY_LOCAL_MACHINE\\Software\\V: A,B,@,C,D,E"}, {}},
        {"\r\nREGEDIT4\r\n; comment\r\n[-hkey_classes_root\\.orv]\r\n", true, {"-hkey_classes_root\\.orv: "}, {}},
        {"; comment first\r\nREGEDIT4\r\n[HKEY_USERS\\V]\r\n", false, {}, {}},
        {utf16Script, true, {"HKEY_CURRENT_USER\\U: n"}, {}},
        {"REGEDIT5\r\n[HKEY_LOCAL_MACHINE\\X]\r\n", false, {}, {}},
        {"", false, {}, {}},
        {"REGEDIT4\r\n[HKLM\\Software\\V]\r\n\"A\"=\"x\"\r\n", true, {},
         {"line 2: key \"HKLM\\Software\\V\" does not begin with a root key name such as HKEY_LOCAL_MACHINE",
          "line 3: value \"A\" outside any key"}},
        {"REGEDIT4\r\n[HKEY_USERS\\V\r\n", true, {}, {"line 2: key line without its closing bracket"}},
        {"REGEDIT4\n[HKEY_USERS\\V]\n\"A\"=dword:123456789\n\"B\"=hex:1g\n\"C\"=\"open\n\"D\"\nE=1\n",
         true, {"HKEY_USERS\\V: "},
         {"line 3: value \"A\" has data the registry editor cannot read: dword:123456789",
          "line 4: value \"B\" has data the registry editor cannot read: hex:1g",
          "line 5: value \"C\" has data the registry editor cannot read: \"open",
          "line 6: value \"D\" without \"=\" and data",
          "line 7: neither a key, a value nor a comment: E=1"}},
    };
    for (const Case& c : cases) {
        RegistryScript script = ParseRegistryScript(c.text);
        EXPECT_EQ(script.recognised, c.recognised) << c.text;
        std::vector<std::string> keys;
        for (const RegistryScriptKey& key : script.keys) {
            std::string line = (key.deleted ? "-" : "") + key.path + ": ";
            for (std::size_t i = 0; i < key.values.size(); ++i) line += (i ? "," : "") + key.values[i];
            keys.push_back(line);
        }
        EXPECT_EQ(keys, c.keys) << c.text;
        EXPECT_EQ(script.problems, c.problems) << c.text;
    }
}

}  // namespace
