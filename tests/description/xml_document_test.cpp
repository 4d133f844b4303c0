// The XML tree: how elements are filed, how deep the copy goes, what the lookups return,
// and that Load lets go of every component object whatever happens.
#include <gtest/gtest.h>

#include <vector>

#include "core/text_value.h"
#include "description/component_error.h"
#include "description/xml_document.h"
#include "fake_xml_parser.h"
#ifndef _WIN32
#include "platform_host.h"
#endif

namespace {

// The tags of a range, in the order the range gives them.
std::vector<std::string> Names(XmlNode::ChildRange range, const char* attribute = "N") {
    std::vector<std::string> names;
    for (auto it = range.first; it != range.second; ++it) {
        const XmlAttribute* a = it->second->FindAttribute(attribute);
        names.push_back(a ? a->value : "?");
    }
    return names;
}

using Strings = std::vector<std::string>;

// A chain of `levels` elements below a root, each carrying its level as attribute "L".
std::shared_ptr<FakeElement> Chain(int levels) {
    auto root = std::make_shared<FakeElement>();
    root->tag = "ROOT";
    FakeElement* at = root.get();
    for (int level = 1; level <= levels; ++level) {
        auto child = std::make_shared<FakeElement>();
        child->tag = "E";
        child->attributes.emplace_back("L", std::to_string(level));
        at->children.push_back(child);
        at = child.get();
    }
    return root;
}

// Depth of the copied chain, and the node at its end.
int CopiedDepth(const XmlNode* node, const XmlNode** last) {
    int depth = 0;
    *last = node;
    while (true) {
        auto range = (*last)->FindChildren("E");
        if (range.first == range.second) return depth;
        *last = range.first->second.get();
        ++depth;
    }
}

class XmlTree : public ::testing::Test {
protected:
    fake_xml::Installed parser;
    XmlDocument document;

    const XmlNode& Load(const std::string& xml, int depth = 99) {
        fake_xml::SetFile("t.xml", xml);
        EXPECT_EQ(document.Load("t.xml", depth, true), 1);
        EXPECT_EQ(fake_xml::LiveObjects(), 0) << "component objects held after Load";
        static const XmlNode empty;
        return document.Root() ? *document.Root() : empty;
    }
};

TEST_F(XmlTree, RootKeepsNoTagAndChildrenAreFiledByExactTagInDocumentOrder) {
    const XmlNode& root = Load(
        "<anything A=\"1\"><LANGUAGE N=\"first\"/><B N=\"b\">text</B>"
        "<LANGUAGE N=\"second\"/><language N=\"lower\"/><LANGUAGE N=\"third\"/></anything>");
    EXPECT_EQ(root.tag, "");
    EXPECT_EQ(root.text, "");
    ASSERT_NE(root.FindAttribute("A"), nullptr);
    EXPECT_EQ(Names(root.FindChildren("LANGUAGE")), (Strings{"first", "second", "third"}));
    EXPECT_EQ(Names(root.FindChildren("language")), (Strings{"lower"}));
    EXPECT_EQ(Names(root.FindChildren("Language")), Strings{});
    auto b = root.FindChildren("B");
    ASSERT_NE(b.first, b.second);
    EXPECT_EQ(b.first->second->tag, "B");
    EXPECT_EQ(b.first->second->text, "text");
}

TEST_F(XmlTree, CopyStopsAtTheDepthLimit) {
    fake_xml::SetFile("t.xml", Chain(150));
    ASSERT_EQ(document.Load("t.xml", 99, true), 1);
    const XmlNode* last = nullptr;
    EXPECT_EQ(CopiedDepth(document.Root(), &last), 99);
    ASSERT_NE(last->FindAttribute("L"), nullptr) << "the deepest level keeps its attributes";
    EXPECT_EQ(last->FindAttribute("L")->value, "99");
    EXPECT_TRUE(last->Children().empty());

    fake_xml::SetFile("t.xml", Chain(3));
    ASSERT_EQ(document.Load("t.xml", 0, true), 1);
    EXPECT_TRUE(document.Root()->Children().empty());
}

TEST_F(XmlTree, AttributesAreReadOnlyWhenAsked) {
    fake_xml::SetFile("t.xml", "<R A=\"1\"><C B=\"2\"/></R>");
    ASSERT_EQ(document.Load("t.xml", 99, false), 1);
    EXPECT_TRUE(document.Root()->Attributes().empty());
    auto c = document.Root()->FindChildren("C");
    ASSERT_NE(c.first, c.second);
    EXPECT_TRUE(c.first->second->Attributes().empty());
}

TEST_F(XmlTree, FirstOfTwoEqualAttributeNamesStays) {
    const XmlNode& root = Load("<R KEY=\"first\" X=\"x\" KEY=\"second\"/>");
    ASSERT_NE(root.FindAttribute("KEY"), nullptr);
    EXPECT_EQ(root.FindAttribute("KEY")->value, "first");
    EXPECT_EQ(root.Attributes().size(), 2u);
    EXPECT_EQ(root.FindAttribute("key"), nullptr);
}

TEST_F(XmlTree, UnreadablePartsAreSkippedOrLeftEmpty) {
    auto root = ParseFakeXml("<R A=\"1\" B=\"2\"><C N=\"skipped\"/><C N=\"kept\"/><D N=\"untagged\"/></R>");
    root->children[0]->failItem = true;
    root->children[2]->failTag = true;
    root->failedAttributeItems = {0};
    fake_xml::SetFile("t.xml", root);
    ASSERT_EQ(document.Load("t.xml", 99, true), 1);
    const XmlNode& copy = *document.Root();
    EXPECT_EQ(Names(copy.FindChildren("C")), (Strings{"kept"}));
    EXPECT_EQ(Names(copy.FindChildren("")), (Strings{"untagged"}));
    EXPECT_EQ(copy.FindAttribute("A"), nullptr);
    EXPECT_NE(copy.FindAttribute("B"), nullptr);

    root->children[1]->failChildren = true;
    root->children[1]->children.push_back(ParseFakeXml("<X/>"));
    root->failAttributes = true;
    ASSERT_EQ(document.Load("t.xml", 99, true), 1);
    EXPECT_TRUE(document.Root()->Attributes().empty());
    EXPECT_EQ(fake_xml::LiveObjects(), 0);
}

TEST_F(XmlTree, FailingTypeRaisesTheComponentErrorAndReleasesEverything) {
    auto root = ParseFakeXml("<R><A><B/></A></R>");
    root->children[0]->children[0]->failType = true;
    fake_xml::SetFile("t.xml", root);
    try {
        document.Load("t.xml", 99, true);
        ADD_FAILURE() << "no component error";
    } catch (const ComponentError& error) {
        EXPECT_EQ(static_cast<std::uint32_t>(error.Result()), 0x80004005u);
        EXPECT_EQ(error.Iid().data1, 1u);
    }
    EXPECT_EQ(fake_xml::LiveObjects(), 0);
}

TEST_F(XmlTree, FileIsLookedForAsNamedThenNextToTheProgram) {
    std::string besideProgram = ProgramFolder().value() + "\\t.xml";
    fake_xml::SetFile(besideProgram, "<R N=\"program folder\"/>");
    ASSERT_EQ(document.Load("t.xml", 99, true), 1);
    EXPECT_EQ(fake_xml::OpenedNames(), (Strings{"t.xml", besideProgram}));
    EXPECT_EQ(document.Root()->FindAttribute("N")->value, "program folder");

    fake_xml::SetFile("t.xml", "<R N=\"current folder\"/>");
    ASSERT_EQ(document.Load("t.xml", 99, true), 1);
    EXPECT_EQ(document.Root()->FindAttribute("N")->value, "current folder");
}

#ifndef _WIN32
TEST_F(XmlTree, ProgramFolderBeyond260BytesIsStillSearched) {
    // The fallback reads the program's name into 1024 bytes, not the 260 of the other callers.
    std::string folder = "D:\\" + std::string(300, 'd');
    platform::host::SetModuleFileName(folder + "\\setup.exe");
    fake_xml::SetFile(folder + "\\t.xml", "<R N=\"long folder\"/>");
    ASSERT_EQ(document.Load("t.xml", 99, true), 1);
    EXPECT_EQ(document.Root()->FindAttribute("N")->value, "long folder");
    platform::host::SetModuleFileName(std::string(1100, 'x') + "\\setup.exe");
    EXPECT_EQ(document.Load("t.xml", 99, true), 0);
    EXPECT_EQ(fake_xml::OpenedNames().back(), "");
    platform::host::SetModuleFileName("D:\\setup\\setup.exe");
}
#endif

TEST_F(XmlTree, FailedLoadsLeaveNoTreeAndHoldNothing) {
    EXPECT_EQ(document.Load("missing.xml", 99, true), 0);
    EXPECT_EQ(document.Root(), nullptr);
    fake_xml::SetFile("bad.xml", "<R><open></R>");
    EXPECT_EQ(document.Load("bad.xml", 99, true), 0);
    EXPECT_EQ(document.Load(nullptr, 99, true), 0);
    EXPECT_EQ(fake_xml::LiveObjects(), 0);

    // A document without a root element: the empty root node stays, the result is 0.
    fake_xml::SetFile("noroot.xml", std::make_shared<FakeElement>());
    EXPECT_EQ(document.Load("noroot.xml", 99, true), 0);
    ASSERT_NE(document.Root(), nullptr);
    EXPECT_TRUE(document.Root()->Children().empty());
    EXPECT_EQ(fake_xml::LiveObjects(), 0);
}

TEST_F(XmlTree, NoParserComponentMeansNoTree) {
    XmlParserFactory fake = XmlDocument::SetParserFactory([]() -> std::unique_ptr<XmlParser> { return nullptr; });
    EXPECT_EQ(document.Load("t.xml", 99, true), 0);
    EXPECT_EQ(document.Root(), nullptr);
    XmlDocument::SetParserFactory(fake);
}

TEST_F(XmlTree, SecondLoadReplacesTheTreeAndCloseEmptiesIt) {
    Load("<R><A N=\"old\"/></R>");
    Load("<R><B N=\"new\"/></R>");
    EXPECT_EQ(Names(document.Root()->FindChildren("A")), Strings{});
    EXPECT_EQ(Names(document.Root()->FindChildren("B")), (Strings{"new"}));
    EXPECT_EQ(document.Close(), 1);
    EXPECT_EQ(document.Root(), nullptr);
    EXPECT_EQ(document.Close(), 1);
}

TEST_F(XmlTree, FindDescendantsStopsAtTheFirstNodeInTagOrderThatHasMatches) {
    const XmlNode& root = Load(
        "<R><C><ERROR_PAGE N=\"c1\"/></C><B><X/><ERROR_PAGE N=\"b1\"/><ERROR_PAGE N=\"b2\"/></B>"
        "<A><X><ERROR_PAGE N=\"ax\"/></X></A></R>");
    // A comes first in tag order, and its match sits a level further down.
    EXPECT_EQ(Names(root.FindDescendants("ERROR_PAGE")), (Strings{"ax"}));
    const XmlNode& b = *root.FindChildren("B").first->second;
    EXPECT_EQ(Names(b.FindDescendants("ERROR_PAGE")), (Strings{"b1", "b2"}));
}

TEST_F(XmlTree, FindDescendantsOfAMissingTagIsEmptyUnlessTheMarkerTagExists) {
    const XmlNode& plain = Load("<R><A><B/></A></R>");
    auto none = plain.FindDescendants("ERROR_PAGE");
    EXPECT_EQ(none.first, none.second);

    const XmlNode& marked = Load("<R><NEVER_FOUND_TAG N=\"marker\"/><A/></R>");
    EXPECT_EQ(Names(marked.FindDescendants("ERROR_PAGE")), (Strings{"marker"}));
}

TEST_F(XmlTree, GetAttributeEmptiesTheOutputAndUpperCasesOnRequest) {
    const XmlNode& root = Load("<R KEY=\"0x806d0101\"/>");
    std::string out = "old";
    EXPECT_EQ(root.GetAttribute("KEY", out, false), 1);
    EXPECT_EQ(out, "0x806d0101");
    EXPECT_EQ(root.GetAttribute("KEY", out, true), 1);
    EXPECT_EQ(out, "0X806D0101");
    out = "old";
    EXPECT_EQ(root.GetAttribute("PATH", out, true), 0);
    EXPECT_EQ(out, "");
}

}  // namespace
