// The numbers behind the skinned screens, as plain functions: where a button or control
// goes (its layout or rectangle text), how large a window must be to show its background,
// where a window is placed, when a focus rectangle is drawn and how a font is scaled.
// No window system here; the window layer passes in what it reads from Windows.
#pragma once

#include <string>

struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const PixelRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

struct PixelPoint {
    int x = 0, y = 0;
    bool operator==(const PixelPoint& o) const { return x == o.x && y == o.y; }
};

// x, y, w, h in client pixels of the dialog.
struct LayoutBox {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const LayoutBox& o) const {
        return x == o.x && y == o.y && w == o.w && h == o.h;
    }
};

// Tells a tokeniser which bytes start a two-byte character in the ANSI code page, so a
// trail byte that happens to equal a separator does not split a character.
using LeadBytePredicate = bool (*)(unsigned char);

// "[207,299,108,39]-E&xit": the first four tokens that are exactly the canonical decimal
// form of their value. Texts longer than 127 characters are cut there, as the window text
// is read into a 128-byte buffer.
bool ParseLayoutText(const std::string& text, LayoutBox& box, LeadBytePredicate isLead = nullptr);

// The caption part of a layout text, the button's name for the user: what follows the
// first "]" and the hyphen after it ("E&xit" of "[207,299,108,39]-E&xit"). A text without
// "]" is all caption. Read from the same 127 characters as the numbers.
std::string LayoutCaption(const std::string& text, LeadBytePredicate isLead = nullptr);

// "75, 136, 368, 183" or "72,201,279,23    --- For Edit": 8 to 99 characters, at least four
// comma pieces, each read like atoi.
bool ParseRectangleText(const std::string& text, LayoutBox& box);

// How far the window frame reaches beyond the client area on each side, as
// AdjustWindowRectEx grows a rectangle for the window's styles.
struct FrameInsets {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Window size that gives a client area one pixel smaller than the bitmap each way.
PixelPoint WindowSizeForBackground(int bitmapWidth, int bitmapHeight, const FrameInsets& frame);

// The client rectangle that is grown by the frame: (0, 0, width - 1, height - 1).
PixelRect BackgroundClientRect(int bitmapWidth, int bitmapHeight);

// Extended style used for sizing: the client edge never counts.
unsigned long SizingExtendedStyle(unsigned long extendedStyle);

// Corner placement against the owner (modes 0 to 3); modes 4 and 5 take the already
// centred rectangle in `own`. Offsets are added, then the position is kept at most 100
// pixels before the desktop's right and bottom edges and never negative.
PixelPoint PlaceWindowPosition(int mode, int dx, int dy, const PixelRect& own,
                               const PixelRect& owner, const PixelRect& desktop);

// Top-left corner of a window of the given size centred on `centre`, kept inside `work`.
PixelPoint CentredPosition(const PixelRect& centre, int width, int height, const PixelRect& work);

// Item state and action bits of an owner-drawn button's draw request.
constexpr unsigned kOdaDrawEntire = 0x0001;
constexpr unsigned kOdaFocus = 0x0004;
constexpr unsigned kOdsDisabled = 0x0004;
constexpr unsigned kOdsFocus = 0x0010;

// Whether this draw request toggles the (inverting) focus rectangle.
bool ShouldDrawFocusRect(unsigned state, unsigned action, unsigned lastState,
                         unsigned lastAction, bool showFocus);

// Large fonts (more than 96 logical pixels per inch, where the System font is taller than
// 16 pixels) shrink a font to 80 %, rounding up; a negative (character) height is scaled
// on its complement.
bool IsLargeFontDpi(int logicalPixelsPerInch);
int ScaledFontHeight(int lfHeight, bool largeFonts);
