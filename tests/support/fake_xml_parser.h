// A test stand-in for the XML parser component: "files" are small XML texts held in
// memory, parsed by a minimal reader (elements, double-quoted attributes, text). It can be
// told to fail single calls, and counts the component objects alive so tests can check
// that the tree lets go of all of them.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "description/xml_document.h"

struct FakeElement {
    std::string tag;
    std::string text;
    int type = 0;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<std::shared_ptr<FakeElement>> children;
    // Failures to simulate.
    bool failChildren = false;    // get_children fails
    bool failItem = false;        // this element cannot be fetched from its parent's list
    bool failTag = false;
    bool failType = false;        // get_type fails: a component error
    bool failAttributes = false;
    std::vector<long> failedAttributeItems;
};

// Parses the minimal XML form; null when the text is not well formed.
std::shared_ptr<FakeElement> ParseFakeXml(const std::string& text);

namespace fake_xml {

// The files the fake parser can open, by the name Open is given.
void SetFile(const std::string& name, const std::string& xml);
void SetFile(const std::string& name, std::shared_ptr<FakeElement> root);
void ClearFiles();
// Names Open was called with, in order.
const std::vector<std::string>& OpenedNames();
// Component objects (documents, elements, lists) alive at the moment.
int LiveObjects();
// Installs the fake parser for the lifetime of the object.
class Installed {
public:
    Installed();
    ~Installed();
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;

private:
    XmlParserFactory previous_;
};

}  // namespace fake_xml
