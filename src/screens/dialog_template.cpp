// Compiled dialog templates: every field is little-endian; strings are NUL-terminated UTF-16;
// the header is WORD-aligned and each control starts on a DWORD boundary counted from the
// start of the template.
#include "screens/dialog_template.h"

#include <utility>

namespace {

constexpr std::uint32_t kSetFont = 0x40;  // DS_SETFONT (DS_SHELLFONT includes it)

class TemplateReader {
public:
    TemplateReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

    bool Word(std::uint16_t& value) {
        if (size_ - pos_ < 2) return false;
        value = static_cast<std::uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return true;
    }
    bool Dword(std::uint32_t& value) {
        std::uint16_t low = 0, high = 0;
        if (!Word(low) || !Word(high)) return false;
        value = low | static_cast<std::uint32_t>(high) << 16;
        return true;
    }
    bool Short(int& value) {
        std::uint16_t word = 0;
        if (!Word(word)) return false;
        value = static_cast<std::int16_t>(word);
        return true;
    }
    bool Byte(std::uint8_t& value) {
        if (pos_ >= size_) return false;
        value = data_[pos_++];
        return true;
    }
    // A NUL-terminated UTF-16 text, converted to UTF-8 (an unpaired surrogate becomes U+FFFD).
    bool Text(std::string& text) {
        text.clear();
        for (;;) {
            std::uint16_t unit = 0;
            if (!Word(unit)) return false;
            if (unit == 0) return true;
            std::uint32_t code = unit;
            if (unit >= 0xD800 && unit < 0xDC00) {
                std::uint16_t low = 0;
                std::size_t mark = pos_;
                if (Word(low) && low >= 0xDC00 && low < 0xE000) {
                    code = 0x10000 + ((unit - 0xD800u) << 10) + (low - 0xDC00u);
                } else {
                    pos_ = mark;
                    code = 0xFFFD;
                }
            } else if (unit >= 0xDC00 && unit < 0xE000) {
                code = 0xFFFD;
            }
            AppendUtf8(text, code);
        }
    }
    // 0x0000: none; 0xFFFF then a number; otherwise a text.
    bool Name(TemplateName& name) {
        name = TemplateName{};
        std::size_t mark = pos_;
        std::uint16_t first = 0;
        if (!Word(first)) return false;
        if (first == 0) return true;
        if (first == 0xFFFF) {
            name.isOrdinal = true;
            return Word(name.ordinal);
        }
        pos_ = mark;
        return Text(name.text);
    }
    bool Skip(std::size_t count) {
        if (size_ - pos_ < count) return false;
        pos_ += count;
        return true;
    }
    bool AlignDword() { return Skip((4 - pos_ % 4) % 4); }
    std::size_t Position() const { return pos_; }

private:
    static void AppendUtf8(std::string& text, std::uint32_t code) {
        if (code < 0x80) {
            text += static_cast<char>(code);
        } else if (code < 0x800) {
            text += static_cast<char>(0xC0 | code >> 6);
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            text += static_cast<char>(0xE0 | code >> 12);
            text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | code >> 18);
            text += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    const unsigned char* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

bool Fail(std::string* error, const std::string& what, std::size_t at) {
    if (error) *error = what + " at byte " + std::to_string(at);
    return false;
}

bool ReadRectangle(TemplateReader& in, int& x, int& y, int& cx, int& cy) {
    return in.Short(x) && in.Short(y) && in.Short(cx) && in.Short(cy);
}

bool ReadControl(TemplateReader& in, bool extended, DialogControl& control) {
    if (!in.AlignDword()) return false;
    if (extended) {
        std::uint32_t helpId = 0;
        if (!in.Dword(helpId) || !in.Dword(control.extendedStyle) || !in.Dword(control.style) ||
            !ReadRectangle(in, control.x, control.y, control.cx, control.cy) ||
            !in.Dword(control.id)) {
            return false;
        }
    } else {
        std::uint16_t id = 0;
        if (!in.Dword(control.style) || !in.Dword(control.extendedStyle) ||
            !ReadRectangle(in, control.x, control.y, control.cx, control.cy) || !in.Word(id)) {
            return false;
        }
        control.id = id;
    }
    std::uint16_t extra = 0;
    if (!in.Name(control.windowClass) || !in.Name(control.text) || !in.Word(extra)) return false;
    control.creationDataSize = extra;
    return in.Skip(extra);
}

}  // namespace

std::string DialogControl::ClassName() const {
    if (!windowClass.isOrdinal) return windowClass.text;
    switch (windowClass.ordinal) {
        case 0x80: return "Button";
        case 0x81: return "Edit";
        case 0x82: return "Static";
        case 0x83: return "ListBox";
        case 0x84: return "ScrollBar";
        case 0x85: return "ComboBox";
        default: return "#" + std::to_string(windowClass.ordinal);
    }
}

bool ParseDialogTemplate(const unsigned char* data, std::size_t size, DialogTemplate& result,
                         std::string* error) {
    if (!data) return Fail(error, "no template", 0);
    TemplateReader in(data, size);
    DialogTemplate dialog;
    std::uint16_t version = 0, signature = 0, count = 0;
    if (!in.Word(version) || !in.Word(signature)) return Fail(error, "header ends", in.Position());
    dialog.extended = version == 1 && signature == 0xFFFF;
    if (dialog.extended) {
        std::uint32_t helpId = 0;
        if (!in.Dword(helpId) || !in.Dword(dialog.extendedStyle) || !in.Dword(dialog.style)) {
            return Fail(error, "header ends", in.Position());
        }
    } else {
        dialog.style = version | static_cast<std::uint32_t>(signature) << 16;
        if (!in.Dword(dialog.extendedStyle)) return Fail(error, "header ends", in.Position());
    }
    if (!in.Word(count) || !ReadRectangle(in, dialog.x, dialog.y, dialog.cx, dialog.cy)) {
        return Fail(error, "header ends", in.Position());
    }
    if (!in.Name(dialog.menu) || !in.Name(dialog.windowClass) || !in.Text(dialog.title)) {
        return Fail(error, "names end", in.Position());
    }
    if (dialog.style & kSetFont) {
        std::uint16_t points = 0;
        bool ok = in.Word(points);
        if (ok && dialog.extended) {
            std::uint16_t weight = 0;
            std::uint8_t italic = 0, charset = 0;
            ok = in.Word(weight) && in.Byte(italic) && in.Byte(charset);
        }
        if (!ok || !in.Text(dialog.fontName)) return Fail(error, "font ends", in.Position());
        dialog.fontPointSize = points;
    }
    dialog.controls.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (!ReadControl(in, dialog.extended, dialog.controls[i])) {
            return Fail(error, "control " + std::to_string(i) + " ends", in.Position());
        }
    }
    result = std::move(dialog);
    return true;
}
