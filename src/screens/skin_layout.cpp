#include "screens/skin_layout.h"

#include <cstdlib>
#include <vector>

#include "core/text_value.h"

namespace {

bool IsLayoutSeparator(char c) { return c == '[' || c == ',' || c == ']'; }

std::vector<std::string> LayoutTokens(const std::string& text, LeadBytePredicate isLead) {
    std::vector<std::string> tokens;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (isLead && isLead(c) && i + 1 < text.size()) {
            current += text[i];
            current += text[++i];
            continue;
        }
        if (IsLayoutSeparator(text[i])) {
            if (!current.empty()) tokens.push_back(current);
            current.clear();
        } else {
            current += text[i];
        }
    }
    if (!current.empty()) tokens.push_back(current);
    return tokens;
}

// atol, then back to base 10: only a token that reads back identically is a number.
bool CanonicalNumber(const std::string& token, int& value) {
    long parsed = std::atol(token.c_str());
    if (std::to_string(parsed) != token) return false;
    value = static_cast<int>(parsed);
    return true;
}

int AtoiLike(const std::string& piece) { return std::atoi(piece.c_str()); }

}  // namespace

bool ParseLayoutText(const std::string& text, LayoutBox& box, LeadBytePredicate isLead) {
    std::string limited = text.substr(0, 127);
    if (limited.empty()) return false;
    int values[4];
    int taken = 0;
    for (const std::string& token : LayoutTokens(limited, isLead)) {
        if (!CanonicalNumber(token, values[taken])) continue;
        if (++taken == 4) {
            box = {values[0], values[1], values[2], values[3]};
            return true;
        }
    }
    return false;
}

std::string LayoutCaption(const std::string& text, LeadBytePredicate isLead) {
    std::string limited = text.substr(0, 127);
    for (std::size_t i = 0; i < limited.size(); ++i) {
        if (isLead && isLead(static_cast<unsigned char>(limited[i]))) {
            ++i;  // a trail byte is never the bracket
            continue;
        }
        if (limited[i] != ']') continue;
        std::size_t start = i + 1;
        if (start < limited.size() && limited[start] == '-') ++start;
        return limited.substr(start);
    }
    return limited;
}

bool ParseRectangleText(const std::string& text, LayoutBox& box) {
    if (text.size() < 8 || text.size() > 99) return false;
    std::vector<std::string> pieces = SplitText(TextValue(text), ",", " \t");
    if (pieces.size() < 4) return false;
    box = {AtoiLike(pieces[0]), AtoiLike(pieces[1]), AtoiLike(pieces[2]), AtoiLike(pieces[3])};
    return true;
}

PixelRect BackgroundClientRect(int bitmapWidth, int bitmapHeight) {
    return {0, 0, bitmapWidth - 1, bitmapHeight - 1};
}

PixelPoint WindowSizeForBackground(int bitmapWidth, int bitmapHeight, const FrameInsets& frame) {
    PixelRect client = BackgroundClientRect(bitmapWidth, bitmapHeight);
    return {client.Width() + frame.left + frame.right, client.Height() + frame.top + frame.bottom};
}

unsigned long SizingExtendedStyle(unsigned long extendedStyle) {
    const unsigned long kClientEdge = 0x00000200;  // WS_EX_CLIENTEDGE
    return extendedStyle & ~kClientEdge;
}

PixelPoint PlaceWindowPosition(int mode, int dx, int dy, const PixelRect& own,
                               const PixelRect& owner, const PixelRect& desktop) {
    int left = own.left;
    int top = own.top;
    switch (mode) {
    case 0:
        left = owner.left;
        top = owner.top;
        break;
    case 1:
        left += owner.right - own.right;
        top = owner.top;
        break;
    case 2:
        left = owner.left;
        top += owner.bottom - own.bottom;
        break;
    case 3:
        left += owner.right - own.right;
        top += owner.bottom - own.bottom;
        break;
    default:  // 4 and 5 arrive centred; other modes leave the window where it is
        break;
    }
    int x = left + dx;
    int y = top + dy;
    if (x > desktop.right - 100) x = desktop.right - 100;
    if (y > desktop.bottom - 100) y = desktop.bottom - 100;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    return {x, y};
}

PixelPoint CentredPosition(const PixelRect& centre, int width, int height, const PixelRect& work) {
    int left = (centre.left + centre.right) / 2 - width / 2;
    int top = (centre.top + centre.bottom) / 2 - height / 2;
    if (left < work.left)
        left = work.left;
    else if (left + width > work.right)
        left = work.right - width;
    if (top < work.top)
        top = work.top;
    else if (top + height > work.bottom)
        top = work.bottom - height;
    return {left, top};
}

bool ShouldDrawFocusRect(unsigned state, unsigned action, unsigned lastState,
                         unsigned lastAction, bool showFocus) {
    if ((state & kOdsDisabled) || !showFocus) return false;
    bool redrawnWithFocus = lastAction != kOdaFocus && (action & kOdaDrawEntire) &&
                            (lastState & kOdsFocus) && (state & kOdsFocus);
    bool focusChanged = ((lastState ^ state) & kOdsFocus) != 0;
    return redrawnWithFocus || focusChanged;
}

bool IsLargeFontDpi(int logicalPixelsPerInch) { return logicalPixelsPerInch > 96; }

int ScaledFontHeight(int lfHeight, bool largeFonts) {
    if (!largeFonts) return lfHeight;
    bool negative = lfHeight < 0;
    int m = negative ? ~lfHeight : lfHeight;
    int q = m * 80 / 100 + ((m * 80) % 100 != 0 ? 1 : 0);
    return negative ? ~q : q;
}
