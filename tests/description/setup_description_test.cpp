// The reader of the setup description: which language section it chooses for a user, the
// English fallback, the error-page keys and path resolution.
#include <gtest/gtest.h>

#include "core/platform.h"
#include "platform_host.h"
#include "description/setup_description.h"
#include "fake_xml_parser.h"

namespace {

constexpr std::uint32_t kNormalFile = 0x80;

class Reader : public ::testing::Test {
protected:
    fake_xml::Installed parser;
    SetupDescription description;

    void SetUp() override {
        platform::host::SetModuleFileName("D:\\setup\\setup.exe");
        platform::host::ClearFileAttributes();
        for (const char* dll : {"fr.dll", "frca.dll", "en.dll", "ar.dll", "sub\\de.dll"}) {
            platform::host::SetFileAttributes(std::string("D:\\setup\\") + dll, kNormalFile);
        }
        platform::host::SetFileAttributes("D:\\setup\\folder.dll", platform::kFileAttributeDirectory);
        ProcessErrorPages().clear();
    }
    void TearDown() override {
        platform::host::ClearFileAttributes();
        platform::host::SetUserDefaultLangId(0x0409);
        ProcessErrorPages().clear();
    }

    bool Read(std::uint16_t langId, const std::string& xml) {
        platform::host::SetUserDefaultLangId(langId);
        fake_xml::SetFile("cd_client.qxml", xml);
        return description.LoadSetupDescription();
    }
    std::string Selected() const {
        const XmlAttribute* name = description.selectedNode ? description.selectedNode->FindAttribute("N") : nullptr;
        return name ? name->value : "none";
    }
};

const char kFrenchAndEnglish[] =
    "<CD REGPAGE=\"reg.htm\" INFOPAGE=\"info.htm\" XML_ROOT=\"xml\" CONTENT_ROOT=\"content\">"
    "<LANGUAGE N=\"fr\" KEY=\"LANG_FRENCH\" RESOURCEDLL=\"fr.dll\" PACKAGE=\"fr\\setup.exe\" LICENSE=\"fr.txt\""
    " FIRSTVISIT=\"fr_first.htm\" INFOPAGE=\"fr_info.htm\">"
    "<ERROR_PAGE KEY=\"DEFAULT\" PATH=\"fr_error.htm\"/>"
    "<SUBLANGUAGE N=\"fr-be\" KEY=\"SUBLANG_FRENCH_BELGIAN\" RESOURCEDLL=\"fr.dll\" PACKAGE=\"be.exe\"/>"
    "<SUBLANGUAGE N=\"fr-ca\" KEY=\"SUBLANG_FRENCH_CANADIAN\" RESOURCEDLL=\"frca.dll\" LICENSE=\"ca.txt\">"
    "<ERROR_PAGE KEY=\"DEFAULT\" PATH=\"ca_error.htm\"/></SUBLANGUAGE>"
    "</LANGUAGE>"
    "<LANGUAGE N=\"en\" KEY=\"LANG_ENGLISH\" RESOURCEDLL=\"en.dll\" PACKAGE=\"en\\setup.exe\" LICENSE=\"en.txt\""
    " FIRSTVISIT=\"en_first.htm\" AFTER_FIRSTVISIT=\"en_after.htm\" STARTPAGE=\"en_start.htm\">"
    "<SUBLANGUAGE N=\"en-us\" KEY=\"SUBLANG_ENGLISH_US\"/>"
    "<ERROR_PAGE KEY=\"DEFAULT\" PATH=\"en_error.htm\"/></LANGUAGE>"
    "</CD>";

TEST_F(Reader, CanadianFrenchUserGetsTheSubLanguageOverTheLanguage) {
    ASSERT_TRUE(Read(0x0C0C, kFrenchAndEnglish));
    EXPECT_EQ(description.primaryLanguageId, 12u);
    EXPECT_EQ(description.subLanguageId, 3u);
    EXPECT_EQ(Selected(), "fr-ca");
    EXPECT_EQ(description.languageKey, "LANG_FRENCH");
    EXPECT_EQ(description.subLanguageKey, "SUBLANG_FRENCH_CANADIAN");
    EXPECT_EQ(description.resourceDll, "frca.dll");
    EXPECT_EQ(description.license, "ca.txt");
    EXPECT_EQ(description.package, "fr\\setup.exe") << "kept from the language";
    EXPECT_EQ(description.firstVisit, "fr_first.htm");
    EXPECT_EQ(description.infoPage, "fr_info.htm") << "the language's page replaces the root's";
    EXPECT_EQ(description.regPage, "reg.htm") << "the root's page stays when the language has none";
    EXPECT_EQ(description.xmlRoot, "xml");
    EXPECT_EQ(description.contentRoot, "content");
    EXPECT_EQ(ProcessErrorPages(), (ErrorPageTable{{"0X806D0100", "ca_error.htm"}}));
}

TEST_F(Reader, FrenchUserOfAnotherRegionGetsTheLanguage) {
    ASSERT_TRUE(Read(0x040C, kFrenchAndEnglish));
    EXPECT_EQ(Selected(), "fr");
    EXPECT_EQ(description.subLanguageKey, "SUBLANG_FRENCH_CANADIAN") << "the last one examined";
    EXPECT_EQ(description.license, "fr.txt");
    EXPECT_EQ(ProcessErrorPages(), (ErrorPageTable{{"0X806D0100", "fr_error.htm"}}));
}

TEST_F(Reader, GermanUserWithoutGermanSectionGetsEnglishButKeepsTheIdentifier) {
    ASSERT_TRUE(Read(0x0407, kFrenchAndEnglish));
    EXPECT_EQ(description.userLangId, 0x0407);
    EXPECT_EQ(description.primaryLanguageId, 9u);
    EXPECT_EQ(description.subLanguageId, 1u);
    EXPECT_EQ(Selected(), "en-us") << "the English sub-language matches, though it has no library";
    EXPECT_EQ(description.package, "en\\setup.exe");
    EXPECT_EQ(description.license, "en.txt");
    EXPECT_EQ(description.afterFirstVisit, "en_after.htm");
    EXPECT_EQ(description.startPage, "en_start.htm");
    EXPECT_EQ(description.resourceDll, "en.dll");
    EXPECT_EQ(ProcessErrorPages(), (ErrorPageTable{{"0X806D0100", "en_error.htm"}}));
}

TEST_F(Reader, OnlyTheFirstMatchingLanguageCountsEvenWithoutItsLibrary) {
    ASSERT_TRUE(Read(0x040C,
        "<CD><LANGUAGE N=\"fr1\" KEY=\"LANG_FRENCH\" RESOURCEDLL=\"missing.dll\" PACKAGE=\"fr1.exe\" AVI=\"fr.avi\"/>"
        "<LANGUAGE N=\"fr2\" KEY=\"LANG_FRENCH\" RESOURCEDLL=\"fr.dll\" PACKAGE=\"fr2.exe\"/>"
        "<LANGUAGE N=\"en\" KEY=\"LANG_ENGLISH\" RESOURCEDLL=\"en.dll\" PACKAGE=\"en.exe\"/></CD>"));
    EXPECT_EQ(description.package, "en.exe");
    EXPECT_EQ(Selected(), "en");
    EXPECT_EQ(description.languageKey, "LANG_ENGLISH");
}

TEST_F(Reader, MatchingLanguageWithoutLibraryStaysSelectedWhenEnglishFindsNothing) {
    EXPECT_FALSE(Read(0x040C,
        "<CD><LANGUAGE N=\"fr\" KEY=\"LANG_FRENCH\" RESOURCEDLL=\"missing.dll\" PACKAGE=\"fr.exe\"/></CD>"));
    EXPECT_EQ(Selected(), "fr");
    EXPECT_EQ(description.package, "");
    EXPECT_EQ(description.resourceDll, "");
}

TEST_F(Reader, LibraryThatIsAFolderIsNotTaken) {
    ASSERT_TRUE(Read(0x040C,
        "<CD><LANGUAGE N=\"fr\" KEY=\"LANG_FRENCH\" RESOURCEDLL=\"folder.dll\" PACKAGE=\"fr.exe\"/>"
        "<LANGUAGE N=\"en\" KEY=\"LANG_ENGLISH\" RESOURCEDLL=\"sub\\de.dll\" PACKAGE=\"en.exe\"/></CD>"));
    EXPECT_EQ(description.package, "en.exe");
    EXPECT_EQ(description.resourceDll, "sub\\de.dll") << "as written, not resolved";
}

TEST_F(Reader, SubLanguageCanSupplyEverythingWhenTheLanguageLibraryIsMissing) {
    ASSERT_TRUE(Read(0x0C0C,
        "<CD><LANGUAGE KEY=\"LANG_FRENCH\" RESOURCEDLL=\"missing.dll\" PACKAGE=\"fr.exe\">"
        "<SUBLANGUAGE PACKAGE=\"nokey.exe\"/>"
        "<SUBLANGUAGE N=\"ca\" KEY=\"SUBLANG_FRENCH_CANADIAN\" RESOURCEDLL=\"frca.dll\" PACKAGE=\"ca.exe\"/>"
        "</LANGUAGE></CD>"));
    EXPECT_EQ(Selected(), "ca");
    EXPECT_EQ(description.package, "ca.exe");
}

TEST_F(Reader, EnglishSectionWithoutPackageStillSucceeds) {
    EXPECT_TRUE(Read(0x0409, "<CD><LANGUAGE N=\"en\" KEY=\"LANG_ENGLISH\" RESOURCEDLL=\"en.dll\" LICENSE=\"en.txt\"/></CD>"));
    EXPECT_EQ(description.package, "");
    EXPECT_EQ(description.license, "en.txt");
}

TEST_F(Reader, NoMatchingSectionAtAllFails) {
    EXPECT_FALSE(Read(0x0407, "<CD><LANGUAGE KEY=\"LANG_FRENCH\" RESOURCEDLL=\"fr.dll\" PACKAGE=\"fr.exe\"/></CD>"));
    EXPECT_EQ(description.selectedNode, nullptr);
    EXPECT_FALSE(Read(0x0409, "<CD/>"));
}

TEST_F(Reader, KeysMatchByNumberAndUnknownKeysCountAsZero) {
    // SUBLANG_ENGLISH_US is 1, the number of Arabic.
    ASSERT_TRUE(Read(0x0401,
        "<CD><LANGUAGE N=\"unknown\" KEY=\"LANG_KLINGON\" RESOURCEDLL=\"fr.dll\" PACKAGE=\"x.exe\"/>"
        "<LANGUAGE N=\"ar\" KEY=\"SUBLANG_ENGLISH_US\" RESOURCEDLL=\"ar.dll\" PACKAGE=\"ar.exe\"/></CD>"));
    EXPECT_EQ(Selected(), "ar");
    EXPECT_EQ(description.package, "ar.exe");

    // Only a neutral user (primary language 0) matches an unknown name.
    ASSERT_TRUE(Read(0x0400, "<CD><LANGUAGE N=\"unknown\" KEY=\"lang_neutral\" RESOURCEDLL=\"fr.dll\" PACKAGE=\"x.exe\"/></CD>"));
    EXPECT_EQ(Selected(), "unknown");
}

TEST_F(Reader, CroatianSectionServesSerbianUsers) {
    ASSERT_TRUE(Read(0x0C1A, "<CD><LANGUAGE KEY=\"LANG_CROATIAN\" RESOURCEDLL=\"fr.dll\" PACKAGE=\"hr.exe\"/></CD>"));
    EXPECT_EQ(description.package, "hr.exe");
}

TEST_F(Reader, UnreadableDescriptionFailsWithoutEnglishPass) {
    platform::host::SetUserDefaultLangId(0x0409);
    EXPECT_FALSE(description.LoadSetupDescription()) << "no file at all";
    EXPECT_EQ(description.rootNode, nullptr);
    EXPECT_FALSE(Read(0x0409, "<CD><LANGUAGE KEY=\"LANG_ENGLISH\">"));
    EXPECT_TRUE(ProcessErrorPages().empty());
}

TEST_F(Reader, SubLanguageWithoutErrorPagesFallsBackToItsLanguage) {
    ASSERT_TRUE(Read(0x0C0C,
        "<CD><LANGUAGE KEY=\"LANG_FRENCH\" RESOURCEDLL=\"fr.dll\" PACKAGE=\"fr.exe\">"
        "<SUBLANGUAGE KEY=\"SUBLANG_FRENCH_CANADIAN\" RESOURCEDLL=\"frca.dll\"/>"
        "<Z><ERROR_PAGE KEY=\"DEFAULT\" PATH=\"z.htm\"/></Z>"
        "<B><ERROR_PAGE KEY=\"DEFAULT\" PATH=\"b.htm\"/></B>"
        "</LANGUAGE></CD>"));
    // The language has no ERROR_PAGE directly below it; B comes first in tag order.
    EXPECT_EQ(ProcessErrorPages(), (ErrorPageTable{{"0X806D0100", "b.htm"}}));
}

TEST(ErrorPages, KeysAreNormalisedAsTheLookUpExpects) {
    fake_xml::Installed parser;
    fake_xml::SetFile("e.xml",
        "<L><ERROR_PAGE KEY=\"DEFAULT\" PATH=\"default.htm\"/>"
        "<ERROR_PAGE KEY=\"0x806d0101\" PATH=\"rights.htm\"/>"
        "<ERROR_PAGE KEY=\"default\" PATH=\"lower.htm\"/>"
        "<ERROR_PAGE KEY=\"0x0806d0102\" PATH=\"zeros.htm\"/>"
        "<ERROR_PAGE KEY=\"0x8067060D\" PATH=\"first.htm\"/>"
        "<ERROR_PAGE KEY=\"0x8067060d\" PATH=\"second.htm\"/>"
        "<ERROR_PAGE KEY=\"0x8067060E\"/>"
        "<ERROR_PAGE PATH=\"nokey.htm\"/></L>");
    XmlDocument document;
    ASSERT_EQ(document.Load("e.xml", 99, true), 1);
    ErrorPageTable table{{"0X8067060E", "earlier.htm"}};
    ReadErrorPages(document.Root(), table);
    EXPECT_EQ(table, (ErrorPageTable{{"0X806D0100", "default.htm"},
                                     {"0X806D0101", "rights.htm"},
                                     {"DEFAULT", "lower.htm"},
                                     {"0X0806D0102", "zeros.htm"},
                                     {"0X8067060D", "second.htm"},
                                     {"0X8067060E", "earlier.htm"}}));
}

TEST(ResolvePath, JoinsWithTheSeparatorOfTheBaseAndMakesAFullPath) {
    platform::host::SetCurrentFolder("C:\\work");
    struct Case {
        const char* base;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"D:\\setup", "lang\\res.dll", "D:\\setup\\lang\\res.dll"},
        {"D:\\setup\\", "\\res.dll", "D:\\setup\\res.dll"},
        {" D:\\setup\t", " res.dll\r\n", "D:\\setup\\res.dll"},
        {"D:\\setup", "..\\other\\res.dll", "D:\\other\\res.dll"},
        // A web address is joined with "/" and stays an address.
        {"http://www.example.com/kit", "first.htm", "http://www.example.com/kit/first.htm"},
        {"http://www.example.com/kit/", "/first.htm", "http://www.example.com/kit/first.htm"},
        {"https://host", "a/b.htm", "https://host/a/b.htm"},
        // Only a lower-case "http" marks an address; anything else is a path.
        {"HTTP://host", "first.htm", "C:\\work\\HTTP:\\host\\first.htm"},
        {"www.example.com", "first.htm", "C:\\work\\www.example.com\\first.htm"},
        {"setup", "res.dll", "C:\\work\\setup\\res.dll"},
    };
    for (const Case& c : cases) EXPECT_EQ(ResolvePath(c.base, c.name), c.expected) << c.base << " + " << c.name;
    platform::host::SetCurrentFolder("C:\\");
}

}  // namespace
