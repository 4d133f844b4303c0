// Compiled dialog templates read from their bytes: both layouts, names and ordinals,
// fonts, creation data and alignment, and every truncation refused.
#include "screens/dialog_template.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Writes template bytes the way a resource compiler lays them out.
class Bytes {
public:
    Bytes& Word(unsigned value) {
        data.push_back(static_cast<unsigned char>(value & 0xFF));
        data.push_back(static_cast<unsigned char>(value >> 8 & 0xFF));
        return *this;
    }
    Bytes& Dword(unsigned long value) { return Word(value & 0xFFFF).Word(value >> 16 & 0xFFFF); }
    Bytes& Text(const std::u16string& text) {
        for (char16_t unit : text) Word(unit);
        return Word(0);
    }
    Bytes& Ordinal(unsigned value) { return Word(0xFFFF).Word(value); }
    Bytes& Rect(int x, int y, int cx, int cy) {
        return Word(x & 0xFFFF).Word(y & 0xFFFF).Word(cx & 0xFFFF).Word(cy & 0xFFFF);
    }
    Bytes& Align() {
        while (data.size() % 4) data.push_back(0);
        return *this;
    }
    std::vector<unsigned char> data;
};

// Classic layout: the package-run screen with a predefined-class button and a named class.
std::vector<unsigned char> ClassicTemplate() {
    Bytes b;
    b.Dword(0x80C800C0).Dword(0).Word(2).Rect(0, 0, 260, 180);  // WS_POPUP|..|DS_SETFONT
    b.Word(0).Word(0).Text(u"250").Word(8).Text(u"Verdana");
    b.Align().Dword(0x5001000B).Dword(0).Rect(95, 145, 70, 25).Word(2);
    b.Ordinal(0x80).Text(u"[1,2,3,4]-&Cancel").Word(0);
    b.Align().Dword(0x50000001).Dword(0).Rect(48, 97, 190, 13).Word(262);
    b.Text(u"msctls_progress32").Text(u"").Word(0);
    return b.data;
}

// Extended layout: font weight and charset, a 32-bit id, an icon static named by number,
// creation data that must be stepped over, a non-ASCII title and a menu and class by name.
std::vector<unsigned char> ExtendedTemplate() {
    Bytes b;
    b.Word(1).Word(0xFFFF).Dword(0).Dword(0x8).Dword(0x80C80048).Word(2).Rect(-5, 7, 100, 50);
    b.Ordinal(3).Text(u"OrvalisPage").Text(u"Th\u00e9 \u00ab\u00a0x\u00a0\u00bb \U0001F600");
    b.Word(9).Word(400).Word(0x0001).Text(u"MS Shell Dlg");
    b.Align().Dword(0).Dword(0).Dword(0x50000003).Rect(1, 2, 3, 4).Dword(0x12345);
    b.Ordinal(0x82).Ordinal(222).Word(4).Dword(0xDEADBEEF);
    b.Align().Dword(0).Dword(0).Dword(0x50000000).Rect(5, 6, 7, 8).Dword(7);
    b.Text(u"SysAnimate32").Text(u"Animate1").Word(0);
    return b.data;
}

// Neither font nor controls, only a title: the smallest usable template.
std::vector<unsigned char> BareTemplate() {
    Bytes b;
    b.Dword(0x80000000).Dword(0).Word(0).Rect(0, 0, 10, 10).Word(0).Word(0).Text(u"T");
    return b.data;
}

struct ControlRow {
    std::string className;
    std::string text;
    std::uint32_t id;
    int x, y, cx, cy;
};

struct TemplateRow {
    const char* name;
    std::vector<unsigned char> bytes;
    bool extended;
    std::string title;
    std::string fontName;
    int fontPoints;
    std::vector<ControlRow> controls;
};

TEST(DialogTemplate, ReadsTitleAndEachControl) {
    const TemplateRow rows[] = {
        {"classic", ClassicTemplate(), false, "250", "Verdana", 8,
         {{"Button", "[1,2,3,4]-&Cancel", 2, 95, 145, 70, 25},
          {"msctls_progress32", "", 262, 48, 97, 190, 13}}},
        {"extended", ExtendedTemplate(), true,
         "Th\xC3\xA9 \xC2\xAB\xC2\xA0x\xC2\xA0\xC2\xBB \xF0\x9F\x98\x80", "MS Shell Dlg", 9,
         {{"Static", "", 0x12345, 1, 2, 3, 4}, {"SysAnimate32", "Animate1", 7, 5, 6, 7, 8}}},
        {"bare", BareTemplate(), false, "T", "", 0, {}},
    };
    for (const TemplateRow& row : rows) {
        SCOPED_TRACE(row.name);
        DialogTemplate dialog;
        std::string error;
        ASSERT_TRUE(ParseDialogTemplate(row.bytes.data(), row.bytes.size(), dialog, &error))
            << error;
        EXPECT_EQ(dialog.extended, row.extended);
        EXPECT_EQ(dialog.title, row.title);
        EXPECT_EQ(dialog.fontName, row.fontName);
        EXPECT_EQ(dialog.fontPointSize, row.fontPoints);
        ASSERT_EQ(dialog.controls.size(), row.controls.size());
        for (std::size_t i = 0; i < row.controls.size(); ++i) {
            const DialogControl& got = dialog.controls[i];
            const ControlRow& want = row.controls[i];
            EXPECT_EQ(got.ClassName(), want.className) << i;
            EXPECT_EQ(got.text.text, want.text) << i;
            EXPECT_EQ(got.id, want.id) << i;
            EXPECT_EQ((std::vector<int>{got.x, got.y, got.cx, got.cy}),
                      (std::vector<int>{want.x, want.y, want.cx, want.cy})) << i;
        }
    }
}

TEST(DialogTemplate, KeepsNumbersWhereTheTemplateGivesNumbers) {
    std::vector<unsigned char> bytes = ExtendedTemplate();
    DialogTemplate dialog;
    ASSERT_TRUE(ParseDialogTemplate(bytes.data(), bytes.size(), dialog));
    EXPECT_EQ(dialog.style, 0x80C80048u);
    EXPECT_EQ(dialog.extendedStyle, 0x8u);
    EXPECT_EQ(dialog.x, -5);
    EXPECT_TRUE(dialog.menu.isOrdinal);
    EXPECT_EQ(dialog.menu.ordinal, 3);
    EXPECT_EQ(dialog.windowClass.text, "OrvalisPage");
    const DialogControl& icon = dialog.controls[0];
    EXPECT_TRUE(icon.windowClass.isOrdinal);
    EXPECT_TRUE(icon.text.isOrdinal);
    EXPECT_EQ(icon.text.ordinal, 222);
    EXPECT_EQ(icon.creationDataSize, 4u);
}

TEST(DialogTemplate, RefusesEveryTruncationAndLeavesTheResultAlone) {
    for (const std::vector<unsigned char>& bytes : {ClassicTemplate(), ExtendedTemplate()}) {
        for (std::size_t size = 0; size < bytes.size(); ++size) {
            DialogTemplate dialog;
            dialog.title = "untouched";
            std::string error;
            EXPECT_FALSE(ParseDialogTemplate(bytes.data(), size, dialog, &error)) << size;
            EXPECT_FALSE(error.empty()) << size;
            EXPECT_EQ(dialog.title, "untouched") << size;
        }
    }
    DialogTemplate dialog;
    EXPECT_FALSE(ParseDialogTemplate(nullptr, 0, dialog));
}

}  // namespace
