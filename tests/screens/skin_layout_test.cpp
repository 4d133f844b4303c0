// The layout rules of the skinned screens: where buttons and controls go, how large a
// window gets for its picture, where it is placed, when focus rectangles are drawn and
// how fonts are scaled.
#include "screens/skin_layout.h"

#include <gtest/gtest.h>

namespace {

struct LayoutCase {
    const char* text;
    bool ok;
    LayoutBox box;
    const char* caption = nullptr;  // the button's window text once the layout is read
};

TEST(LayoutText, TakesTheFirstFourCanonicalNumbers) {
    const LayoutCase cases[] = {
        {"[207,299,108,39]-E&xit", true, {207, 299, 108, 39}, "E&xit"},
        {"[149,336,108,39]-&Continue", true, {149, 336, 108, 39}, "&Continue"},
        {"[149,336,108,39]-I &Accept", true, {149, 336, 108, 39}, "I &Accept"},
        {"[106,233,108,39]--&Go Back-", true, {106, 233, 108, 39}, "-&Go Back-"},  // one hyphen
        {"[106,233,108,39]&Go", true, {106, 233, 108, 39}, "&Go"},   // hyphen optional
        {"207,299,108,39", true, {207, 299, 108, 39}, "207,299,108,39"},  // no brackets
        {"[-5,299,108,39]-Back", true, {-5, 299, 108, 39}, "Back"},  // negative counts
        {"[007,1,2,3,4]-X", true, {1, 2, 3, 4}, "X"},                // leading zeros skipped
        {"[+7,1,2,3,4]", true, {1, 2, 3, 4}, ""},                    // plus sign skipped
        {"[[1,,2]],3,,4]] and more", true, {1, 2, 3, 4}, nullptr},   // runs of separators
        {"[1,2,3,4,5,6]-Six", true, {1, 2, 3, 4}, "Six"},            // rest ignored
        {"[207,299,108]-E&xit", false, {}, "E&xit"},                 // three numbers
        {"[ 207,299,108,39]-E&xit", false, {}, nullptr},             // blank-prefixed skipped
        {"[207,299,108,39 ]-E&xit", false, {}, nullptr},             // trailing blank too
        {"", false, {}, ""},
        {"-E&xit", false, {}, "-E&xit"},
    };
    for (const LayoutCase& c : cases) {
        LayoutBox box{-1, -1, -1, -1};
        EXPECT_EQ(ParseLayoutText(c.text, box), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(box, c.box) << c.text;
        }
        if (c.caption) {
            EXPECT_EQ(LayoutCaption(c.text), c.caption) << c.text;
        }
    }
}

TEST(LayoutText, FailureLeavesTheBoxAlone) {
    LayoutBox box{9, 8, 7, 6};
    EXPECT_FALSE(ParseLayoutText("[1,2,3]-No", box));
    EXPECT_EQ(box, (LayoutBox{9, 8, 7, 6}));
}

TEST(LayoutText, ReadsOnlyWhatA128ByteBufferHolds) {
    std::string filler(120, 'x');
    LayoutBox box;
    EXPECT_TRUE(ParseLayoutText("1,2,3,4," + filler, box));
    // The fourth number starts beyond character 127 and is never seen.
    EXPECT_FALSE(ParseLayoutText("[1,2,3]" + filler + ",4", box));
}

TEST(LayoutText, TrailByteOfATwoByteCharacterIsNotASeparator) {
    // 0x81 starts a two-byte character; its trail byte here is ','.
    auto lead = [](unsigned char c) { return c == 0x81; };
    LayoutBox box;
    EXPECT_TRUE(ParseLayoutText("1,2,3,\x81,4,9", box, lead));  // "\x81,4" is one token
    EXPECT_EQ(box, (LayoutBox{1, 2, 3, 9}));
    EXPECT_TRUE(ParseLayoutText("1,2,3,\x81,4,9", box));  // split byte by byte
    EXPECT_EQ(box, (LayoutBox{1, 2, 3, 4}));
    // Nor is a trail byte that equals the caption's bracket.
    EXPECT_EQ(LayoutCaption("\x81]1,2,3,4]-X", lead), "X");
    EXPECT_EQ(LayoutCaption("\x81]1,2,3,4]-X"), "1,2,3,4]-X");
}

TEST(RectangleText, AllowsBlanksRemarksAndExtraPieces) {
    const LayoutCase cases[] = {
        {"75, 136, 368, 183", true, {75, 136, 368, 183}},
        {"72,201,279,23    --- For Edit", true, {72, 201, 279, 23}},
        {"72, 149, 289,20", true, {72, 149, 289, 20}},
        {"1,2,3,4,5,6,7", true, {1, 2, 3, 4}},
        {"a, b, 3, 4x", true, {0, 0, 3, 4}},  // a piece without digits gives 0
        {"1,2,3,4", false, {}},               // 7 characters: too short
        {"10, 20, 30", false, {}},            // three pieces
        {"", false, {}},
    };
    for (const LayoutCase& c : cases) {
        LayoutBox box{-1, -1, -1, -1};
        EXPECT_EQ(ParseRectangleText(c.text, box), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(box, c.box) << c.text;
        }
    }
}

TEST(RectangleText, LimitIs99Characters) {
    LayoutBox box;
    std::string text = "1,2,3,4";
    EXPECT_TRUE(ParseRectangleText(text + std::string(92, ' '), box));   // 99
    EXPECT_FALSE(ParseRectangleText(text + std::string(93, ' '), box));  // 100
}

TEST(BackgroundSize, ClientAreaIsOnePixelSmallerThanTheBitmap) {
    // A caption of 18 pixels over a one-pixel border.
    FrameInsets frame{1, 19, 1, 1};
    PixelPoint size = WindowSizeForBackground(474, 386, frame);
    EXPECT_EQ(size.x - frame.left - frame.right, 473);
    EXPECT_EQ(size.y - frame.top - frame.bottom, 385);
    EXPECT_EQ(size, (PixelPoint{475, 405}));
    EXPECT_EQ(BackgroundClientRect(389, 283), (PixelRect{0, 0, 388, 282}));
}

TEST(BackgroundSize, ClientEdgeIsLeftOutOfTheFrame) {
    EXPECT_EQ(SizingExtendedStyle(0x00000200 | 0x00000001), 0x00000001u);
    EXPECT_EQ(SizingExtendedStyle(0x00000008), 0x00000008u);
}

const PixelRect kDesktop{0, 0, 1024, 768};
const PixelRect kOwner{100, 100, 574, 505};  // 474 x 405
const PixelRect kQuestion{300, 200, 690, 503};  // 390 x 303

TEST(PlaceWindow, CornersOfTheOwner) {
    EXPECT_EQ(PlaceWindowPosition(0, 0, 0, kQuestion, kOwner, kDesktop), (PixelPoint{100, 100}));
    EXPECT_EQ(PlaceWindowPosition(1, 0, 0, kQuestion, kOwner, kDesktop), (PixelPoint{184, 100}));
    EXPECT_EQ(PlaceWindowPosition(2, 0, 0, kQuestion, kOwner, kDesktop), (PixelPoint{100, 202}));
    EXPECT_EQ(PlaceWindowPosition(3, 0, 0, kQuestion, kOwner, kDesktop), (PixelPoint{184, 202}));
    // Unknown modes and the centring modes keep the given rectangle.
    EXPECT_EQ(PlaceWindowPosition(9, 0, 0, kQuestion, kOwner, kDesktop), (PixelPoint{300, 200}));
    EXPECT_EQ(PlaceWindowPosition(5, 0, 0, kQuestion, kOwner, kDesktop), (PixelPoint{300, 200}));
}

TEST(PlaceWindow, BottomRightInsetByTwentyPixels) {
    PixelPoint at = PlaceWindowPosition(3, -20, -20, kQuestion, kOwner, kDesktop);
    EXPECT_EQ(at.x + kQuestion.Width(), kOwner.right - 20);
    EXPECT_EQ(at.y + kQuestion.Height(), kOwner.bottom - 20);
}

TEST(PlaceWindow, StaysReachableOnTheDesktop) {
    // Owner at the desktop's bottom-right corner, question bigger than what is left.
    PixelRect owner{900, 700, 1374, 1105};
    PixelPoint at = PlaceWindowPosition(3, -20, -20, kQuestion, owner, kDesktop);
    EXPECT_EQ(at, (PixelPoint{924, 668}));
    // A window pushed off the top-left comes back to 0, 0.
    PixelRect far{-800, -800, -300, -300};
    EXPECT_EQ(PlaceWindowPosition(0, -20, -20, kQuestion, far, kDesktop), (PixelPoint{0, 0}));
    // The right-hand clamp comes first, then the floor at 0: a tiny desktop gives 0.
    EXPECT_EQ(PlaceWindowPosition(3, 0, 0, kQuestion, kOwner, PixelRect{0, 0, 50, 50}),
              (PixelPoint{0, 0}));
}

TEST(Centring, CentresAndKeepsInsideTheWorkArea) {
    PixelRect work{0, 0, 1024, 738};
    EXPECT_EQ(CentredPosition(kDesktop, 475, 405, work), (PixelPoint{275, 182}));
    EXPECT_EQ(CentredPosition(kOwner, 391, 303, work), (PixelPoint{142, 151}));
    // Odd sizes: integer halves of both.
    EXPECT_EQ(CentredPosition(PixelRect{0, 0, 101, 101}, 51, 51, work), (PixelPoint{25, 25}));
    // Too far left or up: the work area's edge; too far right or down: flush with it.
    EXPECT_EQ(CentredPosition(PixelRect{-400, -400, 0, 0}, 300, 300, work), (PixelPoint{0, 0}));
    EXPECT_EQ(CentredPosition(PixelRect{1000, 700, 1100, 800}, 300, 300, work),
              (PixelPoint{724, 438}));
    // Work area with an offset (a task bar on the left).
    EXPECT_EQ(CentredPosition(PixelRect{0, 0, 100, 100}, 300, 300, PixelRect{60, 0, 1024, 738}),
              (PixelPoint{60, 0}));
}

TEST(FocusRectangle, GainingAndLosingFocusEachToggleOnce) {
    // Gaining the focus: state goes to focused on an ODA_FOCUS request.
    EXPECT_TRUE(ShouldDrawFocusRect(kOdsFocus, kOdaFocus, 0, 0, true));
    // Losing it draws again, which removes the inverted rectangle.
    EXPECT_TRUE(ShouldDrawFocusRect(0, kOdaFocus, kOdsFocus, kOdaFocus, true));
    // A full redraw without focus draws nothing.
    EXPECT_FALSE(ShouldDrawFocusRect(0, kOdaDrawEntire, 0, kOdaFocus, true));
    // A full redraw while focused after a non-focus request restores the rectangle...
    EXPECT_TRUE(ShouldDrawFocusRect(kOdsFocus, kOdaDrawEntire, kOdsFocus, kOdaDrawEntire, true));
    // ...but not right after the focus request that drew it.
    EXPECT_FALSE(ShouldDrawFocusRect(kOdsFocus, kOdaDrawEntire, kOdsFocus, kOdaFocus, true));
}

TEST(FocusRectangle, DisabledOrSwitchedOffNeverDraws) {
    EXPECT_FALSE(ShouldDrawFocusRect(kOdsFocus | kOdsDisabled, kOdaFocus, 0, 0, true));
    EXPECT_FALSE(ShouldDrawFocusRect(kOdsFocus, kOdaFocus, 0, 0, false));
}

TEST(FontHeight, LargeFontsShrinkToEightyPercentRoundedUp) {
    const struct { int in, large; } cases[] = {
        {-11, -9}, {-13, -11}, {12, 10}, {10, 8}, {-1, -1}, {0, 0}, {1, 1}, {-16, -13},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScaledFontHeight(c.in, true), c.large) << c.in;
        EXPECT_EQ(ScaledFontHeight(c.in, false), c.in) << c.in;
    }
}

TEST(FontHeight, LargeFontsMeansMoreThanNinetySixPixelsPerInch) {
    EXPECT_FALSE(IsLargeFontDpi(96));
    EXPECT_TRUE(IsLargeFontDpi(97));
    EXPECT_TRUE(IsLargeFontDpi(120));
}

}  // namespace
