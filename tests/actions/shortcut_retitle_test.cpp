// Retitling the kit's installation shortcut on the prefix's real desktop folder, with the
// program's own string table and with a language library of other names.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/shortcut_retitle.h"
#include "win32_helpers.h"
#include "core/module_state.h"

namespace {

const char kEnglishOld[] = "Install Vorda Orvalis Tool Kit.lnk";
const char kEnglishNew[] = "Vorda Orvalis Tool Kit.lnk";
const char kFrenchOld[] = "Installez le kit d'outils Vorda Orvalis.lnk";
// The Japanese row as the bytes of code page 932.
const char kJapaneseOld[] =
    "\x83\x94\x83H\x83\x8b\x83_ Orvalis \x83" "c\x81[\x83\x8b \x83L\x83" "b\x83g\x82\xcc\x83"
    "C\x83\x93\x83X\x83g\x81[\x83\x8b.lnk";
const char kJapaneseNew[] =
    "Orvalis \x83" "c\x81[\x83\x8b \x83L\x83" "b\x83g\x82\xcc\x83" "C\x83\x93\x83X\x83g\x81[\x83\x8b.lnk";
// Names of the test language library.
const char kLibraryOld[] = "Installer la trousse Vorda Orvalis.lnk";
const char kLibraryNew[] = "Trousse Vorda Orvalis.lnk";

std::string Desktop() {
    char folder[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, folder, CSIDL_DESKTOPDIRECTORY, FALSE);
    return folder;
}

// Every file the tests may put on the desktop, removed before and after each test.
const std::vector<std::string> kAllNames = {kEnglishOld, kEnglishNew, kFrenchOld,
                                            "Le kit d'outils Vorda Orvalis.lnk", kJapaneseOld,
                                            kJapaneseNew, kLibraryOld, kLibraryNew, ".lnk"};

class ShortcutRetitle : public ::testing::Test {
protected:
    void SetUp() override {
        desktop_ = Desktop();
        ASSERT_FALSE(desktop_.empty());
        ASSERT_NE(GetFileAttributesA(desktop_.c_str()), INVALID_FILE_ATTRIBUTES) << desktop_;
        module::SetResourceInstance(GetModuleHandleA(nullptr));
        Clean();
    }
    void TearDown() override {
        Clean();
        module::SetResourceInstance(GetModuleHandleA(nullptr));
    }
    void Clean() {
        for (const std::string& name : kAllNames) DeleteFileA(At(name).c_str());
    }
    std::string At(const std::string& name) const { return desktop_ + "\\" + name; }
    void Put(const std::string& name) const {
        ASSERT_TRUE(CreateEmptyFile(At(name))) << name << " error " << GetLastError();
    }
    bool Has(const std::string& name) const { return FileExists(At(name)); }

    std::string desktop_;
};

TEST_F(ShortcutRetitle, EnglishShortcutGetsThePlainKitName) {
    Put(kEnglishOld);
    EXPECT_TRUE(RetitleDesktopShortcut());
    EXPECT_FALSE(Has(kEnglishOld));
    EXPECT_TRUE(Has(kEnglishNew));
}

TEST_F(ShortcutRetitle, OnlyTheFirstListedShortcutMoves) {
    // The English name sorts before the French one: its eighth character is a blank.
    Put(kFrenchOld);
    Put(kEnglishOld);
    EXPECT_TRUE(RetitleDesktopShortcut());
    EXPECT_TRUE(Has(kEnglishNew));
    EXPECT_FALSE(Has(kEnglishOld));
    EXPECT_TRUE(Has(kFrenchOld));
    EXPECT_FALSE(Has("Le kit d'outils Vorda Orvalis.lnk"));
}

TEST_F(ShortcutRetitle, NoListedShortcutIsAFailure) {
    Put(kLibraryOld);
    EXPECT_FALSE(RetitleDesktopShortcut());
    EXPECT_TRUE(Has(kLibraryOld));
}

TEST_F(ShortcutRetitle, EastAsianNameIsMatchedByItsExactBytes) {
    Put(kJapaneseOld);
    EXPECT_TRUE(RetitleDesktopShortcut());
    EXPECT_FALSE(Has(kJapaneseOld));
    EXPECT_TRUE(Has(kJapaneseNew));
}

TEST_F(ShortcutRetitle, FoundShortcutCountsEvenWhenTheNewNameIsTaken) {
    Put(kEnglishOld);
    Put(kEnglishNew);
    EXPECT_TRUE(RetitleDesktopShortcut());
    EXPECT_TRUE(Has(kEnglishOld));
    EXPECT_TRUE(Has(kEnglishNew));
}

TEST_F(ShortcutRetitle, TableIsOrderedByTheBytesOfTheOldNames) {
    RetitlingTable table = BuildRetitlingTable();
    // Eleven rows, of which 5000 and 5001 name the same shortcut.
    std::vector<std::string> order;
    for (const auto& entry : table) order.push_back(entry.first.substr(0, 12));
    const std::vector<std::string> expected = {
        "Instalar o K", "Instale Vord", "Install Vord", "Installazion", "Installez le",
        "Installieren", "Vorda Orvali", "\x83\x94\x83H\x83\x8b\x83_ Orv", "\xa1\xa7\xbd\xd0\xa6w\xb8\xcb Vor",
        "\xc7\xeb\xb0\xb2\xd7\xb0 Vorda"};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(table.at(kEnglishOld), kEnglishNew);
    EXPECT_EQ(table.at(kJapaneseOld), kJapaneseNew);
    EXPECT_EQ(table.at("Vorda Orvalis Tool Kit \xbc\xb3\xc4\xa1.lnk"), kEnglishNew);
}

class LanguageLibrary : public ShortcutRetitle {
protected:
    void SetUp() override {
        ShortcutRetitle::SetUp();
        library_ = LoadLibraryExA(WindowsPathOf(ORTK_TEST_NAMES_LIBRARY).c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(library_, nullptr) << ORTK_TEST_NAMES_LIBRARY;
        module::SetResourceInstance(library_);
    }
    void TearDown() override {
        ShortcutRetitle::TearDown();
        if (library_) FreeLibrary(library_);
    }
    HMODULE library_ = nullptr;
};

TEST_F(LanguageLibrary, ItsOwnNamesAreTheOnesLookedFor) {
    Put(kEnglishOld);
    Put(kLibraryOld);
    EXPECT_TRUE(RetitleDesktopShortcut());
    EXPECT_TRUE(Has(kEnglishOld));
    EXPECT_FALSE(Has(kLibraryOld));
    EXPECT_TRUE(Has(kLibraryNew));
}

TEST_F(LanguageLibrary, PairsWithAMissingEntryNameNoShortcut) {
    // The library lacks most entries: their pairs must not make a bare ".lnk" a match.
    EXPECT_EQ(BuildRetitlingTable().size(), 1u);
    Put(".lnk");
    Put(kEnglishOld);
    EXPECT_FALSE(RetitleDesktopShortcut());
    EXPECT_TRUE(Has(".lnk"));
    EXPECT_TRUE(Has(kEnglishOld));
}

}  // namespace
