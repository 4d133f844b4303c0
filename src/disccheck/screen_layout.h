// The layout of one screen as the preview draws it over the screen's picture: each
// button's and each panel's rectangle, and what is wrong with where it lies. Portable:
// the Win32 side reads the rectangles from the live windows and passes them in.
#pragma once

#include <string>
#include <vector>

#include "screens/skin_layout.h"

struct LayoutItem {
    std::string kind;     // "button" or "panel"
    unsigned id = 0;      // control id
    std::string name;     // a button's caption ("&Continuer"), what a panel holds
    std::string mnemonic; // the key of the caption's "&", empty without one
    int tabPosition = 0;  // 1 for the first tab stop of the screen; 0: not a tab stop
    LayoutBox box;        // client pixels
    std::vector<std::string> faults;

    std::string Label() const { return kind + " " + std::to_string(id); }
};

struct ScreenLayout {
    int width = 0, height = 0;  // what the items must lie in: the background bitmap
    std::vector<LayoutItem> items;
};

// Within (0, 0, width, height), and not empty.
bool BoxInside(const LayoutBox& box, int width, int height);
// The two share at least one pixel.
bool BoxesOverlap(const LayoutBox& a, const LayoutBox& b);
// "(149, 336, 108 x 39)"
std::string BoxText(const LayoutBox& box);

// Fills every item's faults: outside the area, overlapping another item.
void MarkLayoutFaults(ScreenLayout& layout);

// The character after the caption's first single "&" (the dialog manager's mnemonic);
// "&&" is an ampersand, not a mnemonic.
std::string MnemonicOf(const std::string& caption, LeadBytePredicate isLead = nullptr);
