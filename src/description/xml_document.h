// The program's own copy of an XML file: a tree of nodes with their tags, texts, element
// type codes and attributes. The file is parsed by the platform's XML component; Load
// copies the tree and lets go of every component object before it returns, so all later
// queries work on the copy alone.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "description/xml_element_source.h"

class XmlAttribute {
public:
    XmlAttribute() = default;
    XmlAttribute(std::string name, std::string value)
        : name(std::move(name)), value(std::move(value)) {}
    virtual ~XmlAttribute() = default;

    std::string name;
    std::string value;
};

class XmlNode {
public:
    // Keys compare byte-wise and case-sensitively; children with equal tags stay in
    // document order (std::multimap inserts after the equal keys).
    using AttributeMap = std::map<std::string, std::unique_ptr<XmlAttribute>>;
    using ChildMap = std::multimap<std::string, std::unique_ptr<XmlNode>>;
    using ChildRange = std::pair<ChildMap::const_iterator, ChildMap::const_iterator>;

    XmlNode() = default;
    virtual ~XmlNode();
    XmlNode(const XmlNode&) = delete;
    XmlNode& operator=(const XmlNode&) = delete;

    // Copies the element's attributes (when asked) and, while depthLimit is above zero,
    // its children with depthLimit - 1. Always 1.
    int Build(int depthLimit, bool readAttributes);
    // 1 when the attribute list could be counted; the first of two equal names stays.
    int ReadAttributes();
    // Deletes the subtree and the attributes; 0 (after the "Assertion" box) on an exception.
    int Clear();
    // Lets go of the element handles of the whole subtree. Always 1.
    int ReleaseElements();

    // The direct children with exactly this tag, in document order.
    ChildRange FindChildren(const std::string& tag) const;
    const XmlAttribute* FindAttribute(const std::string& name) const;
    // The matching children of the first node, depth first in tag order, that has any.
    ChildRange FindDescendants(const std::string& tag) const;
    // Whether the attribute exists; its value (or empty) goes into out, upper-cased on request.
    int GetAttribute(const std::string& name, std::string& out, bool upperCase) const;

    const AttributeMap& Attributes() const { return attributes; }
    const ChildMap& Children() const { return children; }

    AttributeMap attributes;
    ChildMap children;
    std::int32_t elementType = 0;
    std::string text;
    std::string tag;
    // The component's element, held only while the node is being built.
    std::unique_ptr<XmlElementSource> element;
};

class XmlDocument {
public:
    XmlDocument() = default;
    virtual ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Parses fileName, looked for as given (the current folder) and then next to the
    // program, and copies it depthLimit levels deep. 1 when a tree was built, else 0.
    int Load(const char* fileName, int depthLimit, bool readAttributes);
    // Deletes the tree; 0 (after the "Assertion" box) on an exception.
    int Close();
    XmlNode* Root() const { return root_.get(); }

    // The parser component Load uses (the platform's by default); returns the previous one.
    static XmlParserFactory SetParserFactory(XmlParserFactory factory);

private:
    void ReleaseComponents();

    std::unique_ptr<XmlParser> document_;  // held only inside Load
    std::unique_ptr<XmlNode> root_;
};
