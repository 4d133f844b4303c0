#include "description/xml_document.h"

#include <cstdio>

#include "core/text_value.h"

namespace {

XmlParserFactory& ParserFactory() {
    static XmlParserFactory factory = &CreatePlatformXmlParser;
    return factory;
}

// An element of a setup description has a handful of attributes. The components fetch an
// attribute by walking the element's list from its start, so reading n attributes costs
// n * n / 2 steps: past this many the rest of a damaged or hostile element is not read.
constexpr long kMostAttributes = 1024;

// Whether a start tag of the file holds more than kMostAttributes attributes (counted as
// its equal signs outside quotes). The platform's parser checks each attribute against the
// earlier ones of its element: such a tag takes it minutes, with no window on the screen,
// so the file is refused as unreadable. A file that cannot be read here is left to the
// parser, which reports it.
bool HasCrowdedStartTag(const std::string& fileName) {
    // C stdio, not a stream: the streams would bring the C++ locale machinery along.
    std::FILE* in = std::fopen(fileName.c_str(), "rb");
    if (!in) return false;
    // Text, just after '<', inside a start tag, inside other markup (an end tag, a comment,
    // a declaration or a processing instruction: no attributes, quotes not paired).
    enum { kText, kOpened, kStartTag, kOtherMarkup } state = kText;
    char quote = 0;
    long equals = 0;
    char buffer[16384];
    bool crowded = false;
    std::size_t n = 0;
    while (!crowded && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        for (std::size_t i = 0; i < n && !crowded; ++i) {
            char c = buffer[i];
            if (state == kOpened) {
                state = (c == '!' || c == '?' || c == '/') ? kOtherMarkup : kStartTag;
                quote = 0;
                equals = 0;
            }
            if (state == kText || state == kOtherMarkup) {
                if (c == '<') state = kOpened;
                else if (c == '>') state = kText;
            } else if (quote) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                state = kText;
            } else if (c == '=' && ++equals > kMostAttributes) {
                crowded = true;
            }
        }
    }
    std::fclose(in);
    return crowded;
}

// Looked up when nothing below a node bears the tag: an empty range, unless an element
// really is called so.
const char kNeverFoundTag[] = "NEVER_FOUND_TAG";

}  // namespace

// ---- XmlNode ----

XmlNode::~XmlNode() {
    Clear();
}

int XmlNode::Build(int depthLimit, bool readAttributes) {
    if (readAttributes) ReadAttributes();
    if (!element || depthLimit <= 0) return 1;
    children.clear();
    std::unique_ptr<XmlElementList> list = element->Children();
    if (!list) return 1;
    long count = 0;
    if (!list->Length(count)) return 1;
    for (long i = 0; i < count; ++i) {
        std::unique_ptr<XmlElementSource> item = list->Item(i);
        if (!item) continue;
        auto node = std::make_unique<XmlNode>();
        std::string value;
        if (item->Tag(value)) node->tag = value;
        value.clear();
        if (item->Text(value)) node->text = value;
        node->elementType = item->Type();
        node->element = std::move(item);
        node->Build(depthLimit - 1, readAttributes);
        node->element.reset();
        std::string key = node->tag;
        children.emplace(std::move(key), std::move(node));
    }
    return 1;
}

int XmlNode::ReadAttributes() {
    if (!element) return 0;
    attributes.clear();
    std::unique_ptr<XmlAttributeList> list = element->Attributes();
    if (!list) return 0;
    long count = 0;
    if (!list->Length(count)) return 0;
    if (count > kMostAttributes) count = kMostAttributes;
    for (long i = 0; i < count; ++i) {
        std::string name, value;
        if (!list->Item(i, name, value)) continue;
        // The first of two equal names stays.
        if (attributes.count(name) != 0) continue;
        attributes.emplace(name, std::make_unique<XmlAttribute>(name, std::move(value)));
    }
    return 1;
}

int XmlNode::Clear() {
    try {
        children.clear();
        attributes.clear();
        element.reset();
    } catch (...) {
        ShowAssertionBox();
        return 0;
    }
    return 1;
}

int XmlNode::ReleaseElements() {
    for (auto& child : children) child.second->ReleaseElements();
    element.reset();
    return 1;
}

XmlNode::ChildRange XmlNode::FindChildren(const std::string& tag) const {
    return children.equal_range(tag);
}

const XmlAttribute* XmlNode::FindAttribute(const std::string& name) const {
    auto found = attributes.find(name);
    return found == attributes.end() ? nullptr : found->second.get();
}

XmlNode::ChildRange XmlNode::FindDescendants(const std::string& tag) const {
    ChildRange own = FindChildren(tag);
    if (own.first != own.second) return own;
    for (const auto& child : children) {
        ChildRange below = child.second->FindDescendants(tag);
        if (below.first != below.second) return below;
    }
    return FindChildren(kNeverFoundTag);
}

int XmlNode::GetAttribute(const std::string& name, std::string& out, bool upperCase) const {
    out.clear();
    const XmlAttribute* attribute = FindAttribute(name);
    if (attribute) out = attribute->value;
    if (upperCase) {
        TextValue upper(out);
        UpperCaseText(upper);
        out = upper.str();
    }
    return attribute ? 1 : 0;
}

// ---- XmlDocument ----

XmlDocument::~XmlDocument() {
    Close();
}

XmlParserFactory XmlDocument::SetParserFactory(XmlParserFactory factory) {
    XmlParserFactory previous = ParserFactory();
    ParserFactory() = factory;
    return previous;
}

void XmlDocument::ReleaseComponents() {
    if (root_) root_->ReleaseElements();
    document_.reset();
}

int XmlDocument::Load(const char* fileName, int depthLimit, bool readAttributes) {
    if (!Close() || !fileName) return 0;
    document_ = ParserFactory() ? ParserFactory()() : nullptr;
    if (!document_) return 0;
    int result = 0;
    try {
        bool opened = !HasCrowdedStartTag(fileName) && document_->Open(fileName);
        if (!opened) {
            // Not found under the name as given: try next to the program itself.
            std::string besideProgram, folder;
            if (ProgramFolder(folder) == 0) besideProgram = folder + "\\" + fileName;
            opened = !HasCrowdedStartTag(besideProgram) && document_->Open(besideProgram);
        }
        if (opened) {
            root_ = std::make_unique<XmlNode>();
            root_->element = document_->Root();
            if (root_->element) result = root_->Build(depthLimit, readAttributes);
        }
    } catch (...) {
        // A component error leaves Load, but no component object may stay held.
        ReleaseComponents();
        throw;
    }
    ReleaseComponents();
    return result;
}

int XmlDocument::Close() {
    try {
        if (root_) root_->ReleaseElements();
        // The document handle is released once here; unique_ptr forgets it at the same time.
        document_.reset();
        root_.reset();
    } catch (...) {
        ShowAssertionBox();
        return 0;
    }
    return 1;
}
