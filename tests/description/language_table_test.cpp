// The language-identifier table: the SDK's numbers by name, and what a missing name gives.
#include <gtest/gtest.h>

#include "description/language_table.h"

namespace {

TEST(LanguageTable, NamesGiveTheSdkNumbers) {
    struct Row {
        const char* name;
        unsigned value;
    };
    const Row rows[] = {
        {"LANG_NEUTRAL", 0}, {"LANG_ENGLISH", 9}, {"SUBLANG_ENGLISH_US", 1},
        {"LANG_CROATIAN", 26}, {"LANG_SERBIAN", 26}, {"LANG_FRENCH", 12}, {"LANG_GERMAN", 7},
        {"LANG_SPANISH", 10}, {"LANG_NEPALI", 0x61}, {"LANG_KASHMIRI", 0x60}, {"LANG_AFRIKAANS", 0x36},
        {"LANG_VIETNAMESE", 0x2A}, {"LANG_UZBEK", 0x43}, {"SUBLANG_PORTUGUESE", 2},
        {"SUBLANG_PORTUGUESE_BRAZILIAN", 1}, {"SUBLANG_SPANISH_PUERTO_RICO", 20},
        {"SUBLANG_FRENCH_CANADIAN", 3}, {"SUBLANG_ENGLISH_PHILIPPINES", 13},
        {"SUBLANG_ARABIC_QATAR", 16}, {"SUBLANG_KASHMIRI_INDIA", 2}, {"SUBLANG_NEPALI_INDIA", 2},
        {"SUBLANG_SERBIAN_LATIN", 2}, {"SUBLANG_SERBIAN_CYRILLIC", 3}, {"SUBLANG_KOREAN", 1},
        {"SUBLANG_LITHUANIAN_CLASSIC", 2}, {"SUBLANG_CHINESE_MACAU", 5}, {"SUBLANG_UZBEK_CYRILLIC", 2},
    };
    LanguageTable table;
    for (const Row& row : rows) EXPECT_EQ(table[row.name], row.value) << row.name;
    EXPECT_EQ(table.size(), 161u) << "known names add nothing";
}

TEST(LanguageTable, UnknownNamesGiveZeroAndAreAdded) {
    LanguageTable table;
    EXPECT_EQ(table["lang_english"], 0u) << "names are case-sensitive";
    EXPECT_EQ(table["SUBLANG_DEFAULT"], 0u) << "not in the table, so not 1";
    EXPECT_EQ(table["SUBLANG_NEUTRAL"], 0u);
    EXPECT_EQ(table.size(), 164u);
    table["lang_english"] = 5;
    EXPECT_EQ(LanguageTable()["lang_english"], 0u) << "a fresh table starts over";
}

}  // namespace
