// Broken and hostile setup descriptions read through a real XML parser (expat): one
// table of documents made from the sample disc's description, and what the reader makes
// of each. Every row must end in bounded time with a defined result.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include <unistd.h>

#include "core/platform.h"
#include "platform_host.h"
#include "description/setup_description.h"
#include "expat_xml_parser.h"

namespace {

constexpr std::uint32_t kNormalFile = 0x80;

std::string Sample() {
    std::ifstream file(ORTK_SAMPLE_DESCRIPTION, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Replace(std::string text, const std::string& old, const std::string& now) {
    for (std::size_t at = text.find(old); at != std::string::npos; at = text.find(old, at + now.size()))
        text.replace(at, old.size(), now);
    return text;
}

std::string Repeat(const std::string& piece, int count) {
    std::string out;
    out.reserve(piece.size() * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) out += piece;
    return out;
}

// UTF-16 little-endian with its byte-order mark, from ASCII text.
std::string Utf16(const std::string& text) {
    std::string out = "\xFF\xFE";
    for (char c : text) out += std::string{c, '\0'};
    return out;
}

std::string BillionLaughs() {
    std::string entities = "<!ENTITY lol0 \"lol\">";
    for (int i = 1; i < 10; ++i)
        entities += "<!ENTITY lol" + std::to_string(i) + " \"" + Repeat("&lol" + std::to_string(i - 1) + ";", 10) + "\">";
    std::string text = Replace(Sample(), "<CD_CLIENT ", "<!DOCTYPE CD_CLIENT [" + entities + "]>\n<CD_CLIENT ");
    return Replace(text, "XML_ROOT=\"xml\"", "XML_ROOT=\"&lol9;\"");
}

std::string ManyErrorPages() {
    std::string pages;
    for (int i = 0; i < 100000; ++i) {
        char page[96];
        std::snprintf(page, sizeof page, "<ERROR_PAGE KEY=\"0x%x\" PATH=\"pages\\en\\none%d.htm\"/>\n", 0x80000000u + i, i);
        pages += page;
    }
    std::string text = Sample();
    return text.replace(text.find("<ERROR_PAGE KEY=\"DEFAULT\""), 0, pages);
}

std::string ParentInEveryPath() {
    std::string text = Sample();
    for (const char* name : {"RESOURCEDLL", "PACKAGE", "LICENSE", "FIRSTVISIT", "AFTER_FIRSTVISIT", "STARTPAGE",
                             "REGPAGE", "INFOPAGE", "PATH", "XML_ROOT", "CONTENT_ROOT", "AVI"})
        text = Replace(text, std::string(" ") + name + "=\"", std::string(" ") + name + "=\"..\\disc\\");
    return text;
}

struct Row {
    const char* name;
    std::function<std::string()> document;  // the file's bytes; "" with missing: no file
    bool missing = false;
    bool loaded = true;
    const char* package = "package\\OrvalisKit.exe";
    std::size_t errorPages = 2;
    const char* defaultPage = "pages\\en\\error.htm";  // registered for 0X806D0100
};

const Row kRows[] = {
    {"Missing", [] { return std::string(); }, true, false, "", 0},
    {"Empty", [] { return std::string(); }, false, false, "", 0},
    {"CutInHalf", [] { std::string s = Sample(); return s.substr(0, s.size() / 2); }, false, false, "", 0},
    {"RootOnly", [] { return std::string("<?xml version=\"1.0\"?><CD_CLIENT/>"); }, false, false, "", 0},
    {"NoLanguage", [] { return std::string("<CD_CLIENT XML_ROOT=\"xml\"><!-- none --></CD_CLIENT>"); }, false, false,
     "", 0},
    // The section counts, but without its library it gives no package: the English pass
    // finds the same section, and the run goes on with the program's own screens.
    {"LanguageWithoutLibrary", [] { return Replace(Sample(), "RESOURCEDLL=\"lang\\ortk_en.dll\"", ""); }, false, true,
     "", 2},
    {"Utf8WithMarkAndAccentedFolder",
     [] {
         std::string text = Replace(Sample(), "encoding=\"windows-1252\"", "encoding=\"UTF-8\"");
         return "\xEF\xBB\xBF" + Replace(text, "PACKAGE=\"package\\", "PACKAGE=\"paqu\xC3\xA9t\\");
     },
     false, true, "paqu\xC3\xA9t\\OrvalisKit.exe", 2},
    {"Utf16", [] { return Utf16(Replace(Sample(), "encoding=\"windows-1252\"", "encoding=\"UTF-16\"")); }},
    {"TenMegabytesOfAttributes",
     [] {
         std::string attributes;
         for (int i = 0; i < 105000; ++i) attributes += " a" + std::to_string(i) + "=\"" + std::string(90, 'x') + "\"";
         return Replace(Sample(), "</CD_CLIENT>", "<PAD" + attributes + "/></CD_CLIENT>");
     },
     false, false, "", 0},
    {"NestedHundredThousandDeep",
     [] { return Replace(Sample(), "</CD_CLIENT>", Repeat("<DEEP>", 100000) + Repeat("</DEEP>", 100000) + "</CD_CLIENT>"); }},
    // The parser refuses the expansion: no description, nothing to open.
    {"BillionLaughs", BillionLaughs, false, false, "", 0},
    {"HundredThousandErrorPages", ManyErrorPages, false, true, "package\\OrvalisKit.exe", 100002},
    {"ParentFolderInEveryPath", ParentInEveryPath, false, true, "..\\disc\\package\\OrvalisKit.exe", 2,
     "..\\disc\\pages\\en\\error.htm"},
};

std::string& Folder() {
    static std::string folder;
    return folder;
}

std::unique_ptr<XmlParser> CreateParserInFolder() {
    return CreateExpatXmlParser(Folder());
}

class HostileDescription : public ::testing::TestWithParam<Row> {
protected:
    void SetUp() override {
        char name[] = "/tmp/ortk-hostile-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        Folder() = name;
        // The reader looks at the file under the name as given, from the current folder.
        ASSERT_NE(getcwd(previousFolder_, sizeof previousFolder_), nullptr);
        ASSERT_EQ(chdir(name), 0);
        previous_ = XmlDocument::SetParserFactory(&CreateParserInFolder);
        platform::host::SetModuleFileName("D:\\setup\\setup.exe");
        platform::host::SetFileAttributes("D:\\setup\\lang\\ortk_en.dll", kNormalFile);
        platform::host::SetFileAttributes("D:\\disc\\lang\\ortk_en.dll", kNormalFile);
        ProcessErrorPages().clear();
    }
    void TearDown() override {
        EXPECT_EQ(chdir(previousFolder_), 0);
        std::remove((Folder() + "/cd_client.qxml").c_str());
        std::remove(Folder().c_str());
        XmlDocument::SetParserFactory(previous_);
        platform::host::ClearFileAttributes();
        ProcessErrorPages().clear();
    }

private:
    XmlParserFactory previous_ = nullptr;
    char previousFolder_[4096] = {};
};

TEST_P(HostileDescription, EndsWithADefinedResultInBoundedTime) {
    const Row& row = GetParam();
    if (!row.missing) {
        std::ofstream file(Folder() + "/cd_client.qxml", std::ios::binary);
        file << row.document();
    }
    auto start = std::chrono::steady_clock::now();
    SetupDescription description;
    EXPECT_EQ(description.LoadSetupDescription(), row.loaded);
    EXPECT_EQ(description.package, row.package);
    EXPECT_EQ(ProcessErrorPages().size(), row.errorPages);
    if (row.errorPages != 0) {
        EXPECT_EQ(ProcessErrorPages()["0X806D0100"], row.defaultPage);
    }
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 30.0) << "reading took " << seconds << " s";
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileDescription, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

}  // namespace
