// What the XML tree is copied from: the few operations of an XML parser component that
// the tree needs. The win32 build adapts the platform's XML components to these; tests
// supply their own. Every object here stands for component objects and releases them
// when it is destroyed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class XmlElementSource;

// The children of one element (get_children).
class XmlElementList {
public:
    virtual ~XmlElementList() = default;
    // get_length; false when the count cannot be had.
    virtual bool Length(long& count) = 0;
    // Item index as an element; null when it cannot be fetched or is not an element.
    virtual std::unique_ptr<XmlElementSource> Item(long index) = 0;
};

// The attributes of one element (get_attributes), in document order.
class XmlAttributeList {
public:
    virtual ~XmlAttributeList() = default;
    virtual bool Length(long& count) = 0;
    // Item index; false when it cannot be fetched or is not an attribute. A name or value
    // that cannot be read is left empty.
    virtual bool Item(long index, std::string& name, std::string& value) = 0;
};

class XmlElementSource {
public:
    virtual ~XmlElementSource() = default;
    // Null when the element offers no list.
    virtual std::unique_ptr<XmlElementList> Children() = 0;
    virtual std::unique_ptr<XmlAttributeList> Attributes() = 0;
    // get_tagName, get_text: false when the call fails.
    virtual bool Tag(std::string& tag) = 0;
    virtual bool Text(std::string& text) = 0;
    // get_type; a failing call raises ComponentError.
    virtual std::int32_t Type() = 0;
};

// One parsed document: the document handle of the tree's Load.
class XmlParser {
public:
    virtual ~XmlParser() = default;
    // Parses the named file completely (put_URL); false when it cannot be read or parsed.
    virtual bool Open(const std::string& fileName) = 0;
    // The root element (get_root), or null.
    virtual std::unique_ptr<XmlElementSource> Root() = 0;
};

using XmlParserFactory = std::unique_ptr<XmlParser> (*)();

// The platform's parser component, or null when none can be created.
std::unique_ptr<XmlParser> CreatePlatformXmlParser();

// The one message box of the program: caption and text "Assertion", MB_OK, owned by the
// active window (task-modal without one).
void ShowAssertionBox();
