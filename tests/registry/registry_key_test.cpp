// RegistryKey, RegistryValue and KeyHandle on the real registry of the private prefix.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "registry/key_handle.h"
#include "registry/registry_key.h"
#include "registry/registry_value.h"
#include "win32_helpers.h"

namespace {

// A private tree of the key tests below HKEY_CURRENT_USER.
const char kTestTree[] = "Software\\OrtkRegistryTest";
const std::string kTest = std::string("HKEY_CURRENT_USER\\") + kTestTree;

std::string Record(const std::string& keyBelowTest, const std::string& valuePart) {
    return "[" + kTest + (keyBelowTest.empty() ? "" : "\\" + keyBelowTest) + "]" + valuePart;
}

std::string Below(const std::string& path) {
    return std::string(kTestTree) + "\\" + path;
}

class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, kTestTree)); }
    void TearDown() override { EXPECT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, kTestTree)); }
};

TEST_F(RegistryKeyTest, WriteCreatesTheKeyAndItsMissingParents) {
    std::string record = Record("A\\B\\C", "\"Count\"=dword:1f");
    RegistryKey key;
    RegistryValue value;
    ASSERT_TRUE(key.SetFromRecord(record.c_str()));
    EXPECT_EQ(key.root(), HKEY_CURRENT_USER);
    EXPECT_EQ(key.name(), Below("A\\B\\C"));
    ASSERT_TRUE(value.SetFromRecord(record.c_str()));
    EXPECT_TRUE(value.Write(key));
    EXPECT_FALSE(key.isOpen());  // opened by the write, so closed by it
    EXPECT_EQ(GetRawDword(HKEY_CURRENT_USER, Below("A\\B\\C").c_str(), "Count"), 0x1Fu);
}

TEST_F(RegistryKeyTest, ValueWithoutDataWritesNothing) {
    for (const char* part : {"\"Name\"", "\"Name\"=", "\"Name\"=DWORD :1"}) {
        std::string record = Record("", part);
        RegistryKey key;
        RegistryValue value;
        ASSERT_TRUE(key.SetFromRecord(record.c_str()));
        value.SetFromRecord(record.c_str());
        EXPECT_FALSE(value.Write(key)) << part;
        EXPECT_FALSE(GetRawValue(HKEY_CURRENT_USER, kTestTree, "Name")) << part;
    }
}

TEST_F(RegistryKeyTest, DefaultValueFromTheAtSign) {
    std::string record = Record("D", "@=\"x\"");
    RegistryKey key;
    RegistryValue value;
    ASSERT_TRUE(key.SetFromRecord(record.c_str()));
    ASSERT_TRUE(value.SetFromRecord(record.c_str()));
    EXPECT_TRUE(value.Write(key));
    std::optional<RawValue> raw = GetRawValue(HKEY_CURRENT_USER, Below("D").c_str(), "");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->bytes, std::string("x", 2));
}

TEST_F(RegistryKeyTest, ReadOfAMissingKeyFailsAndCreatesNothing) {
    std::string record = Record("Missing", "\"Name\"");
    RegistryKey key;
    ASSERT_TRUE(key.SetFromRecord(record.c_str()));
    RegistryValue value;
    EXPECT_FALSE(value.Read(key, "Name"));
    EXPECT_FALSE(key.isOpen());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTestTree));
}

TEST_F(RegistryKeyTest, FailedReadKeepsTheOldData) {
    ASSERT_TRUE(SetRawDword(HKEY_CURRENT_USER, kTestTree, "Here", 7));
    RegistryKey key(kTest, "");
    RegistryValue value;
    ASSERT_TRUE(value.Read(key, "Here"));
    EXPECT_FALSE(value.Read(key, "Gone"));
    EXPECT_EQ(value.type(), DWORD(REG_DWORD));
    ASSERT_EQ(value.size(), 4u);
    EXPECT_EQ(value.data()[0], 7);
}

TEST_F(RegistryKeyTest, ReadReportsTheStoredTypeAndSize) {
    ASSERT_TRUE(SetRawValue(HKEY_CURRENT_USER, kTestTree, "Expand", REG_EXPAND_SZ, "%TEMP%", 7));
    ASSERT_TRUE(SetRawValue(HKEY_CURRENT_USER, kTestTree, "Empty", REG_BINARY, "", 0));
    RegistryKey key(kTest, "");
    RegistryValue value;
    ASSERT_TRUE(value.Read(key, "Expand"));
    EXPECT_EQ(value.type(), DWORD(REG_EXPAND_SZ));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(value.data()), value.size()),
              std::string("%TEMP%", 7));
    ASSERT_TRUE(value.Read(key, "Empty"));
    EXPECT_EQ(value.type(), DWORD(REG_BINARY));
    EXPECT_EQ(value.size(), 0u);
    EXPECT_TRUE(value.hasData());
}

TEST_F(RegistryKeyTest, ChildOfAMissingParentIsNotCreated) {
    RegistryKey parent(kTest, "NoParent");
    RegistryKey child(&parent, "Child");
    EXPECT_FALSE(child.Open(kWriteAccess, nullptr, nullptr, true));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Below("NoParent").c_str()));
    RegistryValue value;
    ASSERT_TRUE(value.SetFromRecord("[HKCU]\"v\"=dword:1"));
    EXPECT_FALSE(value.Write(child));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTestTree));
}

TEST_F(RegistryKeyTest, ChildOfAnExistingParentIsCreatedAndTheParentStaysOpen) {
    ASSERT_TRUE(SetRawDword(HKEY_CURRENT_USER, Below("Parent").c_str(), "x", 1));
    RegistryKey parent(kTest, "Parent");
    RegistryKey child(&parent, "Child");
    EXPECT_FALSE(child.Open(kReadAccess));
    EXPECT_TRUE(child.Open(kWriteAccess, nullptr, nullptr, true));
    EXPECT_TRUE(parent.isOpen());
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Below("Parent\\Child").c_str()));
}

TEST_F(RegistryKeyTest, ChildNeedsParentAndName) {
    RegistryKey parent;
    EXPECT_THROW(RegistryKey(nullptr, "x"), std::invalid_argument);
    EXPECT_THROW(RegistryKey(&parent, nullptr), std::invalid_argument);
}

TEST_F(RegistryKeyTest, FailedRecordLeavesTheKeyAsItWas) {
    RegistryKey key(kTest, "Sub");
    EXPECT_FALSE(key.SetFromRecord("[HKEY_FOO\\Software]\"v\""));
    EXPECT_EQ(key.root(), HKEY_CURRENT_USER);
    EXPECT_EQ(key.name(), Below("Sub"));
    RegistryKey empty;
    EXPECT_FALSE(empty.SetFromRecord("[HKEY_FOO\\Software]\"v\""));
    EXPECT_FALSE(empty.Open(kWriteAccess, nullptr, nullptr, true));
}

class RegistryTreeTest : public RegistryKeyTest {
protected:
    // Test tree: A\A1\A11\A111, A\A2, b (values Mixed and other), C.
    void SetUp() override {
        RegistryKeyTest::SetUp();
        for (const char* path : {"A\\A1\\A11\\A111", "A\\A2", "C"})
            ASSERT_TRUE(SetRawDword(HKEY_CURRENT_USER, Below(path).c_str(), "Level", 1));
        ASSERT_TRUE(SetRawString(HKEY_CURRENT_USER, Below("b").c_str(), "MixedCase", "m"));
        ASSERT_TRUE(SetRawDword(HKEY_CURRENT_USER, Below("b").c_str(), "other", 9));
    }
};

TEST_F(RegistryTreeTest, DepthOneLoadsOnlyTheDirectSubkeys) {
    RegistryKey key(kTest, "");
    ASSERT_TRUE(key.EnumerateSubkeys(1, false));
    EXPECT_FALSE(key.isOpen());
    ASSERT_EQ(key.subkeys().size(), 3u);
    RegistryKey* a = key.FindSubkey("a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->name(), "A");
    EXPECT_EQ(a->parent(), &key);
    EXPECT_TRUE(a->subkeys().empty());
    EXPECT_TRUE(a->values().empty());
    RegistryKey* b = key.FindSubkey("B");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->name(), "B");  // stored and named upper-cased
    EXPECT_TRUE(key.values().empty());
}

TEST_F(RegistryTreeTest, DepthZeroLoadsTheWholeTreeWithValues) {
    RegistryKey key(kTest, "");
    ASSERT_TRUE(key.EnumerateSubkeys(0, true));
    RegistryKey* a111 = nullptr;
    RegistryKey* a = key.FindSubkey("A");
    ASSERT_NE(a, nullptr);
    RegistryKey* a1 = a->FindSubkey("a1");
    ASSERT_NE(a1, nullptr);
    RegistryKey* a11 = a1->FindSubkey("A11");
    ASSERT_NE(a11, nullptr);
    a111 = a11->FindSubkey("a111");
    ASSERT_NE(a111, nullptr);
    EXPECT_NE(a111->FindValue("LEVEL"), nullptr);
    EXPECT_NE(a->FindSubkey("A2"), nullptr);

    RegistryKey* b = key.FindSubkey("b");
    ASSERT_NE(b, nullptr);
    RegistryValue* mixed = b->FindValue("mixedcase");
    ASSERT_NE(mixed, nullptr);
    EXPECT_EQ(mixed->name(), "MixedCase");  // the value keeps the enumerated case
    EXPECT_EQ(mixed->type(), DWORD(REG_SZ));
    EXPECT_EQ(b->values().count("MIXEDCASE"), 1u);
    EXPECT_EQ(b->values().count("OTHER"), 1u);
    EXPECT_EQ(b->FindValue("nothing"), nullptr);
}

TEST_F(RegistryTreeTest, EnumerationReplacesEarlierResults) {
    RegistryKey key(kTest, "");
    ASSERT_TRUE(key.EnumerateSubkeys(1, false));
    ASSERT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, Below("C").c_str()));
    ASSERT_TRUE(key.EnumerateSubkeys(1, false));
    EXPECT_EQ(key.subkeys().size(), 2u);
    EXPECT_EQ(key.FindSubkey("C"), nullptr);
}

TEST_F(RegistryTreeTest, LongNamesAreSkippedAndTheLaterOnesLoad) {
    // Keys and values enumerate in name order: each long name comes between the others.
    std::string longKey = "B" + std::string(127, 'x');
    std::string longValue = "n" + std::string(127, 'x');
    ASSERT_TRUE(SetRawDword(HKEY_CURRENT_USER, Below(longKey).c_str(), "v", 1));
    ASSERT_TRUE(SetRawDword(HKEY_CURRENT_USER, Below("b").c_str(), longValue.c_str(), 1));
    // 127 characters still fit the buffer with their NUL.
    std::string longest = "D" + std::string(126, 'x');
    ASSERT_TRUE(SetRawDword(HKEY_CURRENT_USER, Below(longest).c_str(), "v", 1));
    RegistryKey key(kTest, "");
    ASSERT_TRUE(key.EnumerateSubkeys(1, false));
    for (const char* name : {"A", "B", "C"}) EXPECT_NE(key.FindSubkey(name), nullptr) << name;
    EXPECT_NE(key.FindSubkey(longest), nullptr);
    EXPECT_EQ(key.FindSubkey(longKey), nullptr);
    EXPECT_EQ(key.subkeys().size(), 4u);

    RegistryKey b(kTest, "b");
    ASSERT_TRUE(b.EnumerateValues());
    EXPECT_NE(b.FindValue("MixedCase"), nullptr);
    EXPECT_NE(b.FindValue("other"), nullptr);
    EXPECT_EQ(b.FindValue(longValue), nullptr);
    EXPECT_EQ(b.values().size(), 2u);
}

TEST_F(RegistryTreeTest, EnumerationOfAMissingKeyFails) {
    RegistryKey key(kTest, "Missing");
    EXPECT_FALSE(key.EnumerateSubkeys(1, true));
    EXPECT_FALSE(key.EnumerateValues());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Below("Missing").c_str()));
}

TEST_F(RegistryKeyTest, KeyHandleKeepsTheOldHandleOnFailure) {
    ASSERT_TRUE(SetRawDword(HKEY_CURRENT_USER, Below("K").c_str(), "v", 1));
    KeyHandle handle;
    EXPECT_FALSE(handle);
    EXPECT_EQ(handle.Open(HKEY_CURRENT_USER, Below("K").c_str(), KEY_READ), ERROR_SUCCESS);
    HKEY opened = handle.get();
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(handle.Open(HKEY_CURRENT_USER, Below("Missing").c_str(), KEY_READ), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(handle.get(), opened);
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(handle.get(), "v", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(handle.Open(HKEY_CURRENT_USER, kTestTree, KEY_READ), ERROR_SUCCESS);
    EXPECT_NE(handle.get(), nullptr);
}

}  // namespace
