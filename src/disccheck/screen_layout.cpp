#include "disccheck/screen_layout.h"

bool BoxInside(const LayoutBox& box, int width, int height) {
    return box.x >= 0 && box.y >= 0 && box.w > 0 && box.h > 0 && box.x + box.w <= width &&
           box.y + box.h <= height;
}

bool BoxesOverlap(const LayoutBox& a, const LayoutBox& b) {
    if (a.w <= 0 || a.h <= 0 || b.w <= 0 || b.h <= 0) return false;
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

std::string BoxText(const LayoutBox& box) {
    return "(" + std::to_string(box.x) + ", " + std::to_string(box.y) + ", " + std::to_string(box.w) + " x " +
           std::to_string(box.h) + ")";
}

void MarkLayoutFaults(ScreenLayout& layout) {
    std::vector<LayoutItem>& items = layout.items;
    for (LayoutItem& item : items) {
        item.faults.clear();
        if (!BoxInside(item.box, layout.width, layout.height)) {
            item.faults.push_back("lies outside the " + std::to_string(layout.width) + " x " +
                                  std::to_string(layout.height) + " bitmap");
        }
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        for (std::size_t j = i + 1; j < items.size(); ++j) {
            if (!BoxesOverlap(items[i].box, items[j].box)) continue;
            items[i].faults.push_back("overlaps " + items[j].Label());
            items[j].faults.push_back("overlaps " + items[i].Label());
        }
    }
}

std::string MnemonicOf(const std::string& caption, LeadBytePredicate isLead) {
    for (std::size_t i = 0; i < caption.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(caption[i]);
        if (isLead && isLead(c)) {
            ++i;
            continue;
        }
        if (c != '&') continue;
        if (i + 1 >= caption.size()) return std::string();
        if (caption[i + 1] == '&') {
            ++i;  // a literal ampersand
            continue;
        }
        std::size_t length = isLead && isLead(static_cast<unsigned char>(caption[i + 1])) ? 2 : 1;
        return caption.substr(i + 1, length);
    }
    return std::string();
}
