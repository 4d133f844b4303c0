// Reads a compiled dialog template (DLGTEMPLATE or DLGTEMPLATEEX, as a resource compiler
// writes it) from its raw bytes: the dialog's title and each control's class, text, id and
// rectangle. Portable, so tools and tests can check the templates a module carries
// without creating a window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A name-or-ordinal field of a template: a resource or class number, or a text.
struct TemplateName {
    bool isOrdinal = false;
    std::uint16_t ordinal = 0;
    std::string text;  // UTF-8; empty for an ordinal
};

struct DialogControl {
    std::uint32_t id = 0;
    std::uint32_t style = 0;
    std::uint32_t extendedStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    TemplateName windowClass;          // ordinal for the predefined classes (0x80 Button...)
    TemplateName text;                 // ordinal for an icon or bitmap of a static
    std::size_t creationDataSize = 0;

    // The class name the system registers: the predefined classes' names for their atoms
    // ("Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"), else the text.
    std::string ClassName() const;
};

struct DialogTemplate {
    bool extended = false;
    std::uint32_t style = 0;
    std::uint32_t extendedStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    TemplateName menu;
    TemplateName windowClass;
    std::string title;  // UTF-8
    int fontPointSize = 0;
    std::string fontName;  // UTF-8; empty without DS_SETFONT
    std::vector<DialogControl> controls;
};

// False, with `error` saying where, when the bytes end early or hold no valid template.
// `result` is only written on success.
bool ParseDialogTemplate(const unsigned char* data, std::size_t size, DialogTemplate& result,
                         std::string* error = nullptr);
