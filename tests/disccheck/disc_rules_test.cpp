// The disc check's rules over bytes and names: bitmap and clip headers, licence bytes,
// error page keys, misspellings, paths off the disc, string tables and the JSON text; the
// preview's layout faults, mnemonics, links and page.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "disccheck/disc_report.h"
#include "disccheck/disc_rules.h"
#include "disccheck/preview_page.h"
#include "disccheck/screen_layout.h"

namespace {

void Put32(std::string& b, std::size_t at, std::uint32_t v) {
    if (b.size() < at + 4) b.resize(at + 4);
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

std::string Le32(std::uint32_t v) {
    std::string b;
    Put32(b, 0, v);
    return b;
}

// A bitmap resource: BITMAPINFOHEADER, colour table, pixels (or run-length data).
std::string Dib(int width, int height, int bits, std::uint32_t compression, std::size_t dataBytes,
                std::uint32_t sizeImage = 0) {
    std::string b(40, '\0');
    Put32(b, 0, 40);
    Put32(b, 4, static_cast<std::uint32_t>(width));
    Put32(b, 8, static_cast<std::uint32_t>(height));
    b[12] = 1;
    b[14] = static_cast<char>(bits);
    Put32(b, 16, compression);
    Put32(b, 20, sizeImage);
    std::size_t colors = bits <= 8 ? (std::size_t{1} << bits) : 0;
    b.append(colors * 4, '\0');
    b.append(dataBytes, '\0');
    return b;
}

std::string Chunk(const std::string& id, const std::string& data) {
    std::string c = id + Le32(static_cast<std::uint32_t>(data.size())) + data;
    if (data.size() % 2) c += '\0';
    return c;
}

std::string List(const std::string& type, const std::string& data) { return Chunk("LIST", type + data); }

// An AVI clip with the given streams ("vids"/"auds") and frame compression.
std::string Avi(const std::vector<std::string>& streams, std::uint32_t compression, int bits = 8,
                std::uint32_t frames = 10, bool movi = true) {
    std::string avih(56, '\0');
    Put32(avih, 16, frames);
    std::string hdrl = Chunk("avih", avih);
    for (const std::string& type : streams) {
        std::string strh(56, '\0');
        strh.replace(0, 4, type);
        std::string strf = type == "vids" ? Dib(32, 16, bits, compression, 0).substr(0, 40) : std::string(16, '\0');
        hdrl += List("strl", Chunk("strh", strh) + Chunk("strf", strf));
    }
    std::string body = "AVI " + List("hdrl", hdrl) + (movi ? List("movi", Chunk("00db", "xx")) : std::string());
    return "RIFF" + Le32(static_cast<std::uint32_t>(body.size())) + body;
}

TEST(DiscRules, BitmapHeaders) {
    struct Case {
        std::string bytes;
        int width, height;
        std::string problem;  // part of the problem text; empty: drawable
    } cases[] = {
        {Dib(474, 386, 8, 0, 476 * 386), 474, 386, ""},
        {Dib(474, 386, 8, 1, 5000, 5000), 474, 386, ""},                // RLE8
        {Dib(450, -340, 8, 0, 452 * 340), 450, 340, ""},                // top-down uncompressed
        {Dib(450, -340, 8, 1, 10, 10), 450, 340, "top-down"},
        {Dib(474, 386, 8, 0, 476 * 385), 474, 386, "cut short"},
        {Dib(474, 386, 8, 1, 10, 5000), 474, 386, "cut short"},
        {Dib(474, 386, 24, 1, 10, 10), 474, 386, "RLE8 at 24 bits"},
        {Dib(474, 386, 8, 4, 10, 10), 474, 386, "compression 4"},      // JPEG
        {Dib(474, 386, 8, 0, 0).substr(0, 500), 474, 386, "colour table"},
        {"BM" + std::string(60, '\0'), 0, 0, "not a bitmap"},
    };
    for (const Case& c : cases) {
        DibFacts facts = ReadDibFacts(c.bytes);
        EXPECT_EQ(facts.width, c.width) << c.problem;
        EXPECT_EQ(facts.height, c.height) << c.problem;
        if (c.problem.empty()) {
            EXPECT_EQ(facts.problem, "");
        } else {
            EXPECT_NE(facts.problem.find(c.problem), std::string::npos) << facts.problem;
        }
    }
}

TEST(DiscRules, ClipsTheAnimationControlPlays) {
    struct Case {
        std::string bytes;
        std::string problem;
    } cases[] = {
        {Avi({"vids"}, 0, 24), ""},
        {Avi({"vids"}, 1, 8), ""},
        {Avi({"vids", "auds"}, 1), "sound"},
        {Avi({"vids"}, 0x47504A4D /* MJPG */), "compressed with MJPG"},
        {Avi({"vids"}, 1, 4), "RLE8"},
        {Avi({"vids", "vids"}, 0), "one video stream"},
        {Avi({"vids"}, 0, 8, 0), "no frames"},
        {Avi({"vids"}, 0, 8, 10, false), "no frames"},
        {"RIFF\x04\0\0\0WAVE", "not an AVI"},
    };
    for (const Case& c : cases) {
        ClipFacts facts = ReadClipFacts(c.bytes);
        if (c.problem.empty()) {
            EXPECT_EQ(facts.problem, "");
            EXPECT_EQ(facts.width, 32);
            EXPECT_EQ(facts.height, 16);
            EXPECT_EQ(facts.frames, 10u);
        } else {
            EXPECT_NE(facts.problem.find(c.problem), std::string::npos) << c.problem << ": " << facts.problem;
        }
    }
}

// A program's headers: "MZ", the signature's offset at 0x3C, "PE\0\0" and the file header.
std::string Image(std::uint32_t offset, std::uint16_t machine, std::uint16_t characteristics) {
    std::string b = "MZ" + std::string(0x3E, '\0');
    Put32(b, 0x3C, offset);
    if (offset > 0x1000) return b;
    b.resize(offset);
    b += std::string("PE\0\0", 4) + Le32(machine) + std::string(14, '\0') + Le32(characteristics);
    return b.substr(0, offset + 24);
}

TEST(DiscRules, ProgramHeaders) {
    struct Case {
        std::string bytes;
        bool isImage, library;
        std::uint16_t machine;
    } cases[] = {
        {Image(0x80, 0x14C, 0x0102), true, false, 0x14C},
        {Image(0x80, 0x8664, 0x2022), true, true, 0x8664},
        {Image(0x80, 0x14C, 0x0102).substr(0, 0x80 + 23), false, false, 0},  // file header cut
        {Image(0xFFFFFFF0u, 0x14C, 0), false, false, 0},  // the offset wraps round past the end
        {"ZM" + Image(0x80, 0x14C, 0).substr(2), false, false, 0},
    };
    for (const Case& c : cases) {
        ImageFacts facts = ReadImageFacts(c.bytes);
        EXPECT_EQ(facts.isImage, c.isImage) << c.bytes.size();
        EXPECT_EQ(facts.IsLibrary(), c.library) << c.bytes.size();
        EXPECT_EQ(facts.machine, c.machine) << c.bytes.size();
    }
}

TEST(DiscRules, LicenceBytes) {
    struct Case {
        std::string bytes;
        std::vector<std::string> problems;  // a part of each problem, in order
        bool utf8;
        std::size_t undefined1252;
    } cases[] = {
        {"Licence \xE9t\xE9 ok", {}, false, std::string::npos},
        {std::string(kLicenceLimit, 'a'), {}, false, std::string::npos},
        {std::string(kLicenceLimit + 1, 'a'), {"61440 bytes"}, false, std::string::npos},
        {"\xEF\xBB\xBFLicence", {"UTF-8 byte-order mark"}, false, std::string::npos},
        {"\xEF\xBB\xBFLicence \xC3\xA9", {"UTF-8 byte-order mark"}, true, std::string::npos},
        {"\xFF\xFEL\0i\0", {"UTF-16"}, false, std::string::npos},
        {std::string("Lic\0ence", 8), {"offset 3"}, false, std::string::npos},
        {"Licence \xC3\xA9t\xC3\xA9", {}, true, std::string::npos},
        {"Quote \x81 here", {}, false, 6},
    };
    for (const Case& c : cases) {
        std::vector<std::string> problems = LicenceByteProblems(c.bytes);
        ASSERT_EQ(problems.size(), c.problems.size()) << c.bytes.substr(0, 20);
        for (std::size_t i = 0; i < problems.size(); ++i) {
            EXPECT_NE(problems[i].find(c.problems[i]), std::string::npos) << problems[i];
        }
        EXPECT_EQ(LooksLikeUtf8(c.bytes), c.utf8) << c.bytes.substr(0, 20);
        EXPECT_EQ(FirstUndefinedIn1252(c.bytes), c.undefined1252);
    }
}

TEST(DiscRules, ErrorPageKeysAsTheSetUpMatchesThem) {
    struct Case {
        const char* key;
        const char* stored;
        bool canMatch, reported;
        const char* why;  // part of the reason
    } cases[] = {
        {"DEFAULT", "0X806D0100", true, true, ""},
        {"0x806d0101", "0X806D0101", true, true, ""},
        {"0X806D0100", "0X806D0100", true, true, ""},
        {"0x80004005", "0X80004005", true, false, ""},
        {"default", "DEFAULT", false, false, "not DEFAULT in capitals"},
        {"Default", "DEFAULT", false, false, "not DEFAULT in capitals"},
        {"0x0806d0100", "0X0806D0100", false, false, "leading zero"},
        {"806d0100", "806D0100", false, false, "not a result code"},
        {" 0x806d0100", " 0X806D0100", false, false, "not a result code"},
        {"0x1", "0X1", false, false, "not a failure code"},
        {"0x7fffffff", "0X7FFFFFFF", false, false, "not a failure code"},
        {"0x", "0X", false, false, "not a result code"},
    };
    for (const Case& c : cases) {
        ErrorPageKeyFacts facts = ClassifyErrorPageKey(c.key);
        EXPECT_EQ(facts.stored, c.stored) << c.key;
        EXPECT_EQ(facts.canMatch, c.canMatch) << c.key;
        EXPECT_EQ(facts.setupReportsIt, c.reported) << c.key;
        EXPECT_NE(facts.why.find(c.why), std::string::npos) << c.key << ": " << facts.why;
    }
}

TEST(DiscRules, ClosestNamesAndMisspellings) {
    const std::vector<std::string> known = {"KEY", "RESOURCEDLL", "PACKAGE", "LICENSE", "FIRSTVISIT", "AVI"};
    struct Case {
        const char* name;
        const char* closest;
        bool misspelt;
    } cases[] = {
        {"LICENCE", "LICENSE", true},   {"license", "LICENSE", true}, {"PACKGE", "PACKAGE", true},
        {"RESSOURCEDLL", "RESOURCEDLL", true}, {"COMMENT", "KEY", false}, {"KY", "KEY", false},
        {"FIRST_VISIT", "FIRSTVISIT", true},
    };
    for (const Case& c : cases) {
        std::size_t distance = 0;
        std::string closest = ClosestName(c.name, known, &distance);
        EXPECT_EQ(closest, c.closest) << c.name;
        EXPECT_EQ(LikelyMisspelling(c.name, closest, distance), c.misspelt) << c.name;
    }
}

TEST(DiscRules, PathsThatLeaveTheDisc) {
    struct Case {
        const char* name;
        const char* resolved;
        bool leaves;
    } cases[] = {
        {"package\\kit.exe", "Z:\\disc\\package\\kit.exe", false},
        {"\\kit.exe", "z:\\DISC\\kit.exe", false},
        {"..\\kit.exe", "Z:\\kit.exe", true},
        {"C:\\kit.exe", "Z:\\disc\\C:\\kit.exe", true},
        {"\\\\server\\share\\kit.exe", "Z:\\disc\\server\\share\\kit.exe", true},
        {"x", "Z:\\disc2\\x", true},
    };
    for (const Case& c : cases) EXPECT_EQ(LeavesDisc("Z:\\disc", c.name, c.resolved), c.leaves) << c.name;
}

TEST(DiscRules, StringTableEntries) {
    // Entries 0 and 2 of a block: "A" and "BC"; 1 empty; 3 to 15 empty.
    std::string block = std::string("\x01\0A\0", 4) + std::string("\0\0", 2) + std::string("\x02\0B\0C\0", 6) +
                        std::string(26, '\0');
    EXPECT_TRUE(StringBlockHasEntry(block, 0));
    EXPECT_FALSE(StringBlockHasEntry(block, 1));
    EXPECT_TRUE(StringBlockHasEntry(block, 2));
    EXPECT_FALSE(StringBlockHasEntry(block, 15));
    EXPECT_FALSE(StringBlockHasEntry(block.substr(0, 8), 2));  // cut short
}

TEST(DiscReport, JsonAndTextCarryEveryFinding) {
    DiscReport report;
    report.disc = "Z:\\disc";
    report.users.push_back({"LANG_FRENCH", 0x040C, {{"package", "pkg\\a \"b\".exe"}}});
    report.Add(Severity::Error, "files", "licence\\l\xE9.txt", "missing");
    report.Add(Severity::Error, "files", "licence\\l\xE9.txt", "missing");  // once only
    report.Add(Severity::Warning, "unknown", "COMMENT", "ignored");
    EXPECT_EQ(report.ExitCode(), 1);
    EXPECT_EQ(report.Count(Severity::Error), 1);
    std::string json = report.Json();
    EXPECT_NE(json.find("\"langId\": \"0x040C\", \"package\": \"pkg\\\\a \\\"b\\\".exe\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"subject\": \"licence\\\\l\\u00e9.txt\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"errors\": 1,"), std::string::npos);
    std::string text = report.Text();
    EXPECT_NE(text.find("[files] licence\\l\xE9.txt: missing"), std::string::npos) << text;
    EXPECT_NE(text.find("1 error(s), 1 warning(s)"), std::string::npos) << text;
}

TEST(PreviewLayout, RectanglesOutsideTheBitmapOrOverAnother) {
    struct Case {
        const char* kind;
        unsigned id;
        LayoutBox box;
        const char* faults;
    } cases[] = {
        {"button", 1008, {149, 336, 108, 39}, ""},
        {"button", 2, {257, 336, 108, 39}, ""},  // touches 1008's right edge only
        {"button", 3, {366, 347, 108, 39}, ""},  // ends on the bitmap's corner
        {"button", 4, {466, 0, 9, 10}, "lies outside the 474 x 386 bitmap; overlaps panel 203"},
        {"panel", 203, {470, 5, 20, 2}, "lies outside the 474 x 386 bitmap; overlaps button 4"},
        {"panel", 258, {10, 10, 0, 5}, "lies outside the 474 x 386 bitmap"},  // empty
    };
    ScreenLayout layout;
    layout.width = 474;
    layout.height = 386;
    for (const Case& c : cases) {
        LayoutItem item;
        item.kind = c.kind;
        item.id = c.id;
        item.box = c.box;
        layout.items.push_back(item);
    }
    MarkLayoutFaults(layout);
    for (std::size_t i = 0; i < layout.items.size(); ++i) {
        std::string faults;
        for (const std::string& f : layout.items[i].faults) faults += (faults.empty() ? "" : "; ") + f;
        EXPECT_EQ(faults, cases[i].faults) << layout.items[i].Label();
    }
}

TEST(PreviewLayout, Mnemonics) {
    auto lead81 = [](unsigned char c) { return c == 0x81; };
    EXPECT_EQ(MnemonicOf("&Continuer"), "C");
    EXPECT_EQ(MnemonicOf("E&xit"), "x");
    EXPECT_EQ(MnemonicOf("Cancel"), "");
    EXPECT_EQ(MnemonicOf("Fish && &Chips"), "C");
    EXPECT_EQ(MnemonicOf("Tail&"), "");
    EXPECT_EQ(MnemonicOf("\x81&X&Y", lead81), "Y");  // the first "&" is a trail byte
    EXPECT_EQ(MnemonicOf("&\x81\x40", lead81), "\x81\x40");
}

TEST(PreviewPage, LinksFromThePageToTheDisc) {
    struct Case {
        const char* from;
        const char* target;
        const char* link;
    } cases[] = {
        {"Z:\\build\\preview", "Z:\\build\\win32\\disc\\pages\\fr\\a b.htm", "../win32/disc/pages/fr/a%20b.htm"},
        {"Z:\\out", "z:\\OUT\\x.htm", "x.htm"},
        {"C:\\out", "D:\\disc\\p#1.htm", "file:///D:/disc/p%231.htm"},
        {"Z:\\out", "\\\\server\\share\\p.htm", "file://server/share/p.htm"},
        {"", "set1-welcome.png", "set1-welcome.png"},
    };
    for (const Case& c : cases) EXPECT_EQ(RelativeLink(c.from, c.target), c.link) << c.target;
}

TEST(PreviewPage, SetsOfUsersTheirScreensAndTheReport) {
    DiscReport report;
    report.disc = "Z:\\disc";
    report.users.push_back({"LANG_<X>", 0x0409, {{"section", "LANGUAGE LANG_ENGLISH"}}});
    report.Add(Severity::Error, "libraries", "lang\\x.dll bitmap 236", "missing & \"gone\"");
    PictureSet set;
    set.anchor = "set1";
    set.resources = "lang\\x.dll";
    set.groups = {{"LANG_<X>", 0x0409, "LANGUAGE LANG_ENGLISH", {{"first visit", "pages\\a b.htm", "pages/a%20b.htm", true}}},
                  {"all others", 0x0401, "LANGUAGE LANG_ENGLISH", {}}};
    ScreenPicture welcome;
    welcome.screen = "welcome";
    welcome.file = "set1-welcome.png";
    welcome.width = 479;
    welcome.height = 410;
    welcome.layoutFile = "set1-welcome-layout.png";
    LayoutItem button;
    button.kind = "button";
    button.id = 2;
    button.name = "E&xit";
    button.mnemonic = "x";
    button.tabPosition = 2;
    button.box = {265, 336, 108, 39};
    button.faults = {"overlaps button 1008"};
    welcome.layout.items.push_back(button);
    ScreenPicture licence;
    licence.screen = "licence";
    licence.reason = "bitmap 236 is missing in lang\\x.dll";
    set.screens = {welcome, licence};
    std::string page = PreviewPage(report, {set});
    for (const char* part : {
             "<h3>LANG_&lt;X&gt;, all others</h3>",
             "<td class=\"group\">all others (0x0401)</td>",
             "<a href=\"pages/a%20b.htm\">pages\\a b.htm</a> <span class=\"missing\">(missing)</span>",
             "<img class=\"picture\" src=\"set1-welcome.png\" width=\"479\" height=\"410\"",
             "<tr class=\"fault\"><td>button 2</td><td>E&amp;xit</td><td>Alt+x</td><td>2</td>"
             "<td>(265, 336, 108 x 39)</td><td>overlaps button 1008</td></tr>",
             "<p class=\"reason\">No picture: bitmap 236 is missing in lang\\x.dll</p>",
             "missing &amp; &quot;gone&quot;",
         }) {
        EXPECT_NE(page.find(part), std::string::npos) << part << "\n" << page;
    }
}

}  // namespace
