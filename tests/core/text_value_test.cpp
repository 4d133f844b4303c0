// Text and path helpers: the cases where a plausible slip gives a wrong path or text.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/text_value.h"
#ifndef _WIN32
#include "core/platform.h"
#include "platform_host.h"
#endif

namespace {

std::string Join(const std::string& a, const std::string& b, char separator = '\\') {
    TextValue target;
    std::string result = JoinPath(target, a, b, separator, kPathTrimSet);
    EXPECT_EQ(result, target.str()) << "the target holds the result too";
    return result;
}

TEST(JoinPath, AddsOrKeepsOneSeparator) {
    EXPECT_EQ(Join("C:\\Temp\\", "\\ErrorLog.txt"), "C:\\Temp\\ErrorLog.txt");
    EXPECT_EQ(Join(" C:\\Temp ", "ErrorLog.txt"), "C:\\Temp\\ErrorLog.txt");
    EXPECT_EQ(Join("C:\\Temp", "ErrorLog.txt"), "C:\\Temp\\ErrorLog.txt");
    EXPECT_EQ(Join("http://host", "page.htm", '/'), "http://host/page.htm");
}

TEST(JoinPath, EmptyPartsAddNoSeparator) {
    EXPECT_EQ(Join(" C:\\Temp\t", ""), "C:\\Temp");
    EXPECT_EQ(Join("", "\\name"), "name");
    EXPECT_EQ(Join("", ""), "");
}

TEST(JoinPath, OnlyOneLeadingSeparatorIsDropped) {
    EXPECT_EQ(Join("C:\\Temp", "\\\\name"), "C:\\Temp\\\\name");
    EXPECT_EQ(Join("C:\\Temp\\", "\\\\name"), "C:\\Temp\\\\name");
}

TEST(JoinPath, TextOfTrimCharactersOnlyStaysAsItIs) {
    EXPECT_EQ(Join("  ", "x"), "  \\x");
}

TEST(TrimText, TrimsBothEndsOnly) {
    TextValue t(" \t a b \r\n");
    EXPECT_EQ(TrimText(t, kPathTrimSet), "a b");
    EXPECT_EQ(t.str(), "a b");
    TextValue blanks("   ");
    EXPECT_EQ(TrimText(blanks, " "), "   ");
}

TEST(SplitText, PiecesAreTrimmedAndEmptyPiecesKept) {
    auto pieces = SplitText(TextValue("75, 136, 368, 183"), ",", " ");
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0], "75");
    EXPECT_EQ(pieces[3], "183");
    pieces = SplitText(TextValue("a,,b,"), ",", " ");
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[1], "");
    EXPECT_EQ(pieces[3], "");
    pieces = SplitText(TextValue(""), ",", " ");
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0], "");
}

TEST(SplitText, LimitKeepsTheRestWhole) {
    auto pieces = SplitText(TextValue("a,b,c"), ",", " ", 2);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], "a");
    EXPECT_EQ(pieces[1], "b,c");
    for (unsigned limit : {0u, 1u}) {
        pieces = SplitText(TextValue("a,b,c"), ",", " ", limit);
        ASSERT_EQ(pieces.size(), 1u);
        EXPECT_EQ(pieces[0], "a,b,c");
    }
}

TEST(UpperCaseText, UpperCasesInPlace) {
    TextValue code("0x806d0100");
    EXPECT_TRUE(UpperCaseText(code));
    EXPECT_EQ(code.str(), "0X806D0100");
    TextValue empty;
    EXPECT_TRUE(UpperCaseText(empty));
    EXPECT_EQ(empty.str(), "");
    TextValue accents("d\xe9j\xe0");
    UpperCaseText(accents);
    EXPECT_EQ(accents.str(), "D\xc9J\xc0");
    TextValue longText(std::string(5000, 'a'));
    UpperCaseText(longText);
    EXPECT_EQ(longText.str(), std::string(5000, 'A'));
}

TEST(ParseVersionNumber, RunsCombineByTheirCount) {
    EXPECT_EQ(ParseVersionNumber("4.0.0.3"), 0x0004000000000003ull);
    EXPECT_EQ(ParseVersionNumber("1.2.3"), 0x0001000200000003ull);
    EXPECT_EQ(ParseVersionNumber("7"), 7ull);
    EXPECT_EQ(ParseVersionNumber("ver5abc41x"), (5ull << 48) + (41ull << 32));
    EXPECT_EQ(ParseVersionNumber(""), 0ull);
    EXPECT_EQ(ParseVersionNumber("no digits"), 0ull);
    EXPECT_EQ(ParseVersionNumber("1.2.3.4.5"), 0x0001000200030004ull);
    // A part is not cut to 16 bits before it is shifted.
    EXPECT_EQ(ParseVersionNumber("1.70000.0.0"), (1ull << 48) + (70000ull << 32));
    EXPECT_LT(ParseVersionNumber("4.0.0.3"), ParseVersionNumber("4.0.0.4"));
    EXPECT_LT(ParseVersionNumber("4.0.0.3"), ParseVersionNumber("4.1.0.0"));
}

TEST(FormatText, GrowsItsBufferAsNeeded) {
    TextValue target("old");
    std::string big(5000, 'x');
    EXPECT_EQ(FormatText(target, "%s", big.c_str()), big);
    EXPECT_EQ(target.str(), big);
    EXPECT_EQ(FormatText(target, "[%s]\"%s\"=DWORD:%x", "HKLM", "v", 10u), "[HKLM]\"v\"=DWORD:a");
    EXPECT_EQ(FormatText(target, "%2d:%4d", 7, 2000), " 7:2000");
}

TEST(FormatText, TooLongGivesTheMarkerAndKeepsTheTarget) {
    TextValue target("kept");
    std::string huge(102400, 'y');
    EXPECT_EQ(FormatText(target, "%s", huge.c_str()), "_FORMAT_ERROR_");
    EXPECT_EQ(target.str(), "kept");
    std::string fits(102399, 'z');
    EXPECT_EQ(FormatText(target, "%s", fits.c_str()).size(), 102399u);
}

TEST(FindSwitchChar, FindsTheFirstCharacterOfTheSet) {
    const char* line = "\"C:\\setup.exe\" -R";
    const char* after = FindSwitchChar(line, "-/");
    ASSERT_NE(after, nullptr);
    EXPECT_STREQ(after, "R");
    EXPECT_EQ(FindSwitchChar("setup.exe", "-/"), nullptr);
    EXPECT_STREQ(FindSwitchChar("D:\\CD-ROM\\setup.exe -R", "-/"), "ROM\\setup.exe -R");
    EXPECT_EQ(FindSwitchChar("", "-/"), nullptr);
}

TEST(TextBeforeNul, EndsAtTheFirstNulOrAtTheSize) {
    EXPECT_EQ(TextBeforeNul("C:\\Kit\0old", 11), "C:\\Kit");
    EXPECT_EQ(TextBeforeNul("C:\\Kit", 3), "C:\\") << "stored text need not end in a NUL";
    EXPECT_EQ(TextBeforeNul("", 0), "");
}

TEST(AssignWideText, ConvertsAndTreatsNullAsEmpty) {
    TextValue t("x");
    AssignWideText(t, L"LANG_FRENCH");
    EXPECT_EQ(t.str(), "LANG_FRENCH");
    AssignWideText(t, nullptr);
    EXPECT_EQ(t.str(), "");
    AssignWideText(t, L"caf\u00e9");
    EXPECT_EQ(t.str(), "caf\xe9");
}

TEST(LoadResourceText, MissingEntryLeavesTheTextAlone) {
    TextValue out("before");
    EXPECT_FALSE(LoadResourceText(65000, out).has_value());
    EXPECT_EQ(out.str(), "before");
}

TEST(FullPath, FallsBackToItsInputWhenTheSystemFails) {
    EXPECT_EQ(FullPath(""), "");
    // The absolute form would not fit the 2048-byte buffer.
    std::string tooLong = "D:\\" + std::string(3000, 'b');
    EXPECT_EQ(FullPath(tooLong), tooLong);
}

#ifndef _WIN32
// Cases that need answers of the system that the host platform can be told to give.
TEST(ProgramFolder, IsTheModuleNameBeforeItsLastBackslash) {
    const std::string deep = "D:\\" + std::string(300, 'a');
    struct Case {
        std::string moduleName;
        std::optional<std::string> folder;      // the form with a 260-byte buffer
        std::optional<std::string> withStatus;  // the form with a 1024-byte buffer; none: E_FAIL
    } cases[] = {
        {"D:\\setup\\setup.exe", "D:\\setup", "D:\\setup"},
        {"setup.exe", std::nullopt, std::nullopt},
        // Longer than 260 bytes: too long for the first form only.
        {deep + "\\setup.exe", std::nullopt, deep},
    };
    for (const Case& c : cases) {
        platform::host::SetModuleFileName(c.moduleName);
        EXPECT_EQ(ProgramFolder(), c.folder) << c.moduleName;
        std::string folder;
        EXPECT_EQ(ProgramFolder(folder), c.withStatus ? 0 : kEFail) << c.moduleName;
        if (c.withStatus) {
            EXPECT_EQ(folder, *c.withStatus) << c.moduleName;
        }
    }
}

TEST(LoadResourceText, FoundEntryIsCopiedToTheText) {
    platform::host::SetResourceString(1001, "Title");
    TextValue out;
    EXPECT_EQ(LoadResourceText(1001, out).value_or("?"), "Title");
    EXPECT_EQ(out.str(), "Title");
    platform::host::ClearResourceStrings();
}

TEST(HostPlatform, PathExistsCountsAFolderOnlyWhenAsked) {
    platform::host::SetFileAttributes("D:\\setup\\res.dll", 0x20);
    platform::host::SetFileAttributes("D:\\setup\\lang", platform::kFileAttributeDirectory);
    struct Case {
        const char* path;
        bool file, folder, either;
    } cases[] = {
        {"D:\\setup\\res.dll", true, false, true},
        {"D:\\setup\\lang", false, true, true},
        {"D:\\setup\\none.dll", false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PathExists(c.path, PathKind::File), c.file) << c.path;
        EXPECT_EQ(PathExists(c.path, PathKind::Folder), c.folder) << c.path;
        EXPECT_EQ(PathExists(c.path, PathKind::FileOrFolder), c.either) << c.path;
    }
    platform::host::ClearFileAttributes();
}
#endif

}  // namespace
