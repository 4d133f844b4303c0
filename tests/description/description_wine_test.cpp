// The setup description on real files under Wine: where the file is found, that the tree
// outlives the file, the depth limit, bad files, and the language chosen for the user.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/module_state.h"
#include "core/text_value.h"
#include "description/setup_description.h"
#include "description/xml_document.h"

namespace {

std::string CurrentFolder() {
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
}

// Parallel runs of this program share its folder but not their prefix: names made from
// the prefix keep their files apart.
std::string RunTag() {
    const char* prefix = std::getenv("ORTK_PREFIX");
    char tag[32];
    std::snprintf(tag, sizeof tag, "%08zx-%lx", std::hash<std::string>()(prefix ? prefix : ""),
                  GetCurrentProcessId());
    return tag;
}

// Each test works in a fresh current folder of its own and removes every file it wrote,
// here and next to the program.
class WineDescription : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        previousFolder_ = CurrentFolder();
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "ortk-description-" + RunTag();
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
        ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
        programFolder_ = ProgramFolder().value_or("");
        ASSERT_FALSE(programFolder_.empty());
        ProcessErrorPages().clear();
    }
    void TearDown() override {
        SetCurrentDirectoryA(previousFolder_.c_str());
        for (const std::string& file : written_) DeleteFileA(file.c_str());
        RemoveDirectoryA(folder_.c_str());
        ProcessErrorPages().clear();
        CoUninitialize();
    }

    // Writes a file (a name without folder goes into the current folder); returns its path.
    std::string Write(const std::string& path, const std::string& content) {
        std::string full = path.find('\\') == std::string::npos ? folder_ + "\\" + path : path;
        FILE* file = std::fopen(full.c_str(), "wb");
        EXPECT_NE(file, nullptr) << full;
        if (!file) return full;
        std::fwrite(content.data(), 1, content.size(), file);
        std::fclose(file);
        written_.push_back(full);
        return full;
    }
    std::string BesideProgram(const std::string& name) { return programFolder_ + "\\" + name; }

    std::string folder_;
    std::string programFolder_;
    std::string previousFolder_;
    std::vector<std::string> written_;
};

std::string Value(const XmlNode* node, const char* name) {
    const XmlAttribute* attribute = node ? node->FindAttribute(name) : nullptr;
    return attribute ? attribute->value : "<none>";
}

const XmlNode* FirstChild(const XmlNode* node, const char* tag) {
    auto range = node->FindChildren(tag);
    return range.first == range.second ? nullptr : range.first->second.get();
}

std::string Nested(int levels) {
    std::string xml;
    for (int i = 1; i <= levels; ++i) xml += "<E L=\"" + std::to_string(i) + "\">";
    for (int i = 0; i < levels; ++i) xml += "</E>";
    return xml;
}

TEST_F(WineDescription, LoadsFromTheCurrentFolderWithTextsInTheAnsiCodePage) {
    Write("tree.qxml",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<anything A=\"caf\xc3\xa9\" B=\"\">\n"
          "  <LANGUAGE N=\"1\"><SUBLANGUAGE N=\"1.1\">inner</SUBLANGUAGE></LANGUAGE>\n"
          "  <!-- a comment -->\n  <LANGUAGE N=\"2\"/>\n  <language N=\"lower\"/>\n</anything>\n");
    XmlDocument document;
    ASSERT_EQ(document.Load("tree.qxml", 99, true), 1);
    const XmlNode* root = document.Root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->tag, "");
    EXPECT_EQ(Value(root, "A"), "caf\xe9");
    EXPECT_EQ(Value(root, "B"), "");
    auto languages = root->FindChildren("LANGUAGE");
    ASSERT_EQ(std::distance(languages.first, languages.second), 2);
    EXPECT_EQ(Value(languages.first->second.get(), "N"), "1");
    EXPECT_EQ(Value(std::next(languages.first)->second.get(), "N"), "2");
    const XmlNode* sub = FirstChild(languages.first->second.get(), "SUBLANGUAGE");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->tag, "SUBLANGUAGE");
    EXPECT_EQ(sub->text, "inner");
    EXPECT_EQ(sub->elementType, 0) << "an element";
    EXPECT_EQ(Value(FirstChild(root, "language"), "N"), "lower");
}

TEST_F(WineDescription, FallsBackToTheFileNextToTheProgram) {
    std::string name = "ortk-beside-" + RunTag() + ".qxml";
    Write(BesideProgram(name), "<R WHERE=\"program\"/>");
    XmlDocument document;
    ASSERT_EQ(document.Load(name.c_str(), 99, true), 1);
    EXPECT_EQ(Value(document.Root(), "WHERE"), "program");

    Write(name, "<R WHERE=\"current\"/>");
    ASSERT_EQ(document.Load(name.c_str(), 99, true), 1);
    EXPECT_EQ(Value(document.Root(), "WHERE"), "current");
}

TEST_F(WineDescription, TreeOutlivesTheFile) {
    std::string path = Write("gone.qxml", "<R A=\"1\"><C B=\"2\"/></R>");
    XmlDocument document;
    ASSERT_EQ(document.Load("gone.qxml", 99, true), 1);
    EXPECT_TRUE(DeleteFileA(path.c_str())) << "the file is still held open";
    EXPECT_EQ(Value(document.Root(), "A"), "1");
    EXPECT_EQ(Value(FirstChild(document.Root(), "C"), "B"), "2");
}

TEST_F(WineDescription, ElementsBelowTheDepthLimitAreLeftOut) {
    Write("deep.qxml", "<R>" + Nested(150) + "</R>");
    XmlDocument document;
    ASSERT_EQ(document.Load("deep.qxml", 99, true), 1);
    const XmlNode* node = document.Root();
    int depth = 0;
    while (const XmlNode* child = FirstChild(node, "E")) {
        node = child;
        ++depth;
    }
    EXPECT_EQ(depth, 99);
    EXPECT_EQ(Value(node, "L"), "99");
}

TEST_F(WineDescription, BadFilesGiveNoDescription) {
    std::string binary;
    for (int i = 0; i < 64 * 1024; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
    struct Case {
        const char* what;
        std::string content;
    };
    const Case cases[] = {
        {"empty", ""},
        {"not well-formed", "<R><LANGUAGE KEY=\"LANG_ENGLISH\"></R>"},
        {"binary", binary},
        {"only a declaration", "<?xml version=\"1.0\"?>"},
        {"nested 10000 levels", "<R>" + Nested(10000) + "</R>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = Write("cd_client.qxml", c.content);
        XmlDocument document;
        if (document.Load("cd_client.qxml", 99, true) == 1) {
            // A parser that takes the file must still give a tree cut at the limit.
            const XmlNode* node = document.Root();
            int depth = 0;
            while (node && !node->Children().empty()) {
                node = node->Children().begin()->second.get();
                ++depth;
            }
            EXPECT_LE(depth, 99);
        }
        SetupDescription description;
        EXPECT_FALSE(description.LoadSetupDescription());
        DeleteFileA(path.c_str());
    }
    SetupDescription missing;
    EXPECT_FALSE(missing.LoadSetupDescription()) << "no file at all";
    EXPECT_TRUE(ProcessErrorPages().empty());
}

TEST_F(WineDescription, HugeAttributeIsCopiedWhole) {
    std::string huge(1 << 20, 'x');
    Write("cd_client.qxml", "<CD AVI=\"" + huge + "\"><LANGUAGE KEY=\"LANG_GREEK\"/></CD>");
    XmlDocument document;
    ASSERT_EQ(document.Load("cd_client.qxml", 99, true), 1);
    EXPECT_EQ(Value(document.Root(), "AVI").size(), huge.size());
    SetupDescription description;
    EXPECT_FALSE(description.LoadSetupDescription()) << "no section for the user";
}

TEST_F(WineDescription, WebAddressesStayAddressesAndFilesBecomeFullPaths) {
    EXPECT_EQ(ResolvePath("http://www.example.com/kit/", "/first.htm"), "http://www.example.com/kit/first.htm");
    EXPECT_EQ(ResolvePath(folder_, "lang\\..\\res.dll"), folder_ + "\\res.dll");
    EXPECT_EQ(ResolvePath("lang", "res.dll"), folder_ + "\\lang\\res.dll");
}

// The locale of the run decides the user's language identifier; the locale runs pass the
// identifier they expect as --expect-lang=0x....
unsigned ExpectedLangId() {
    const char* flag = std::strstr(GetCommandLineA(), "--expect-lang=");
    return flag ? std::strtoul(flag + 14, nullptr, 16) : 0;
}

// The tree tests over the fake parser look for files next to the program too.
class ModuleEnvironment : public ::testing::Environment {
public:
    void SetUp() override { module::Initialize(GetModuleHandleA(nullptr)); }
};
const auto* const kModuleEnvironment = ::testing::AddGlobalTestEnvironment(new ModuleEnvironment);

class DescriptionLocale : public WineDescription {};

TEST_F(DescriptionLocale, ChoosesTheSectionOfTheUserLanguage) {
    LANGID user = GetUserDefaultLangID();
    if (unsigned expected = ExpectedLangId()) {
        ASSERT_EQ(user, expected) << "the locale did not take";
    }
    std::string tag = RunTag();
    std::string fr = "ortk-" + tag + "-fr.dll", ca = "ortk-" + tag + "-ca.dll", en = "ortk-" + tag + "-en.dll";
    Write(BesideProgram(fr), "library");
    Write(BesideProgram(ca), "library");
    Write(BesideProgram(en), "library");
    Write("cd_client.qxml",
          "<CD_CLIENT XML_ROOT=\"xml\" CONTENT_ROOT=\"content\" REGPAGE=\"reg.htm\">"
          "<LANGUAGE KEY=\"LANG_FRENCH\" RESOURCEDLL=\"" + fr + "\" PACKAGE=\"FR\\setup.exe\" LICENSE=\"fr.txt\""
          " FIRSTVISIT=\"fr_first.htm\">"
          "<SUBLANGUAGE KEY=\"SUBLANG_FRENCH_CANADIAN\" RESOURCEDLL=\"" + ca + "\" LICENSE=\"ca.txt\">"
          "<ERROR_PAGE KEY=\"DEFAULT\" PATH=\"ca_error.htm\"/></SUBLANGUAGE>"
          "<ERROR_PAGE KEY=\"DEFAULT\" PATH=\"fr_error.htm\"/></LANGUAGE>"
          "<LANGUAGE KEY=\"LANG_ENGLISH\" RESOURCEDLL=\"" + en + "\" PACKAGE=\"EN\\setup.exe\" LICENSE=\"en.txt\""
          " FIRSTVISIT=\"en_first.htm\">"
          "<ERROR_PAGE KEY=\"DEFAULT\" PATH=\"en_error.htm\"/><ERROR_PAGE KEY=\"0x806d0101\" PATH=\"rights.htm\"/>"
          "</LANGUAGE></CD_CLIENT>");

    SetupDescription description;
    ASSERT_TRUE(description.LoadSetupDescription());
    EXPECT_EQ(description.userLangId, user);
    EXPECT_EQ(description.xmlRoot, "xml");
    EXPECT_EQ(description.contentRoot, "content");
    EXPECT_EQ(description.regPage, "reg.htm");
    ASSERT_NE(description.rootNode, nullptr);
    ASSERT_NE(description.selectedNode, nullptr);
    if (user == 0x0C0C) {
        EXPECT_EQ(description.selectedNode->tag, "SUBLANGUAGE");
        EXPECT_EQ(description.resourceDll, ca);
        EXPECT_EQ(description.license, "ca.txt");
        EXPECT_EQ(description.package, "FR\\setup.exe");
        EXPECT_EQ(description.firstVisit, "fr_first.htm");
        EXPECT_EQ(ProcessErrorPages(), (ErrorPageTable{{"0X806D0100", "ca_error.htm"}}));
    } else {
        // German and English users alike get the English section.
        EXPECT_EQ(description.primaryLanguageId, 9u);
        EXPECT_EQ(description.languageKey, "LANG_ENGLISH");
        EXPECT_EQ(description.resourceDll, en);
        EXPECT_EQ(description.package, "EN\\setup.exe");
        EXPECT_EQ(description.license, "en.txt");
        EXPECT_EQ(description.firstVisit, "en_first.htm");
        EXPECT_EQ(ProcessErrorPages(),
                  (ErrorPageTable{{"0X806D0100", "en_error.htm"}, {"0X806D0101", "rights.htm"}}));
    }
}

}  // namespace
