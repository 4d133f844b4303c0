#include "expat_xml_parser.h"

#include <expat.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

// The whole document as a flat list of elements, so that neither building nor freeing a
// deeply nested tree recurses.
struct Tree {
    struct Element {
        std::string tag;
        std::string text;
        std::vector<std::pair<std::string, std::string>> attributes;
        std::vector<std::size_t> children;
    };
    std::vector<Element> elements;  // [0] is the root once parsing succeeded
    std::vector<std::size_t> open;  // the elements not yet closed, innermost last
};

void XMLCALL StartElement(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto* tree = static_cast<Tree*>(data);
    std::size_t index = tree->elements.size();
    tree->elements.emplace_back();
    Tree::Element& element = tree->elements.back();
    element.tag = name;
    for (const XML_Char** a = attributes; a[0] && a[1]; a += 2) element.attributes.emplace_back(a[0], a[1]);
    if (!tree->open.empty()) tree->elements[tree->open.back()].children.push_back(index);
    tree->open.push_back(index);
}

void XMLCALL EndElement(void* data, const XML_Char*) {
    static_cast<Tree*>(data)->open.pop_back();
}

void XMLCALL CharacterData(void* data, const XML_Char* text, int length) {
    auto* tree = static_cast<Tree*>(data);
    if (!tree->open.empty()) tree->elements[tree->open.back()].text.append(text, static_cast<std::size_t>(length));
}

// The disc's description is written in the Windows Western code page, which expat does not
// know by itself: its 0x80 to 0x9F row differs from Latin-1.
int XMLCALL UnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
    static const int kRow80[32] = {
        0x20AC, -1, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039,
        0x0152, -1, 0x017D, -1, -1, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, -1, 0x017E, 0x0178};
    std::string upper;
    for (const XML_Char* c = name; *c; ++c) upper += static_cast<char>(*c >= 'a' && *c <= 'z' ? *c - 32 : *c);
    if (upper != "WINDOWS-1252" && upper != "CP1252") return XML_STATUS_ERROR;
    for (int i = 0; i < 256; ++i) info->map[i] = (i >= 0x80 && i < 0xA0) ? kRow80[i - 0x80] : i;
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

class ExpatElement;

class ExpatChildren : public XmlElementList {
public:
    ExpatChildren(std::shared_ptr<const Tree> tree, std::size_t index) : tree_(std::move(tree)), index_(index) {}
    bool Length(long& count) override {
        count = static_cast<long>(tree_->elements[index_].children.size());
        return true;
    }
    std::unique_ptr<XmlElementSource> Item(long index) override;

private:
    std::shared_ptr<const Tree> tree_;
    std::size_t index_;
};

class ExpatAttributes : public XmlAttributeList {
public:
    ExpatAttributes(std::shared_ptr<const Tree> tree, std::size_t index) : tree_(std::move(tree)), index_(index) {}
    bool Length(long& count) override {
        count = static_cast<long>(tree_->elements[index_].attributes.size());
        return true;
    }
    bool Item(long index, std::string& name, std::string& value) override {
        const auto& attributes = tree_->elements[index_].attributes;
        if (index < 0 || static_cast<std::size_t>(index) >= attributes.size()) return false;
        name = attributes[static_cast<std::size_t>(index)].first;
        value = attributes[static_cast<std::size_t>(index)].second;
        return true;
    }

private:
    std::shared_ptr<const Tree> tree_;
    std::size_t index_;
};

class ExpatElement : public XmlElementSource {
public:
    ExpatElement(std::shared_ptr<const Tree> tree, std::size_t index) : tree_(std::move(tree)), index_(index) {}
    std::unique_ptr<XmlElementList> Children() override {
        return std::make_unique<ExpatChildren>(tree_, index_);
    }
    std::unique_ptr<XmlAttributeList> Attributes() override {
        return std::make_unique<ExpatAttributes>(tree_, index_);
    }
    bool Tag(std::string& tag) override {
        tag = tree_->elements[index_].tag;
        return true;
    }
    bool Text(std::string& text) override {
        text = tree_->elements[index_].text;
        return true;
    }
    std::int32_t Type() override { return 0; }

private:
    std::shared_ptr<const Tree> tree_;
    std::size_t index_;
};

std::unique_ptr<XmlElementSource> ExpatChildren::Item(long index) {
    const auto& children = tree_->elements[index_].children;
    if (index < 0 || static_cast<std::size_t>(index) >= children.size()) return nullptr;
    return std::make_unique<ExpatElement>(tree_, children[static_cast<std::size_t>(index)]);
}

class ExpatParser : public XmlParser {
public:
    ExpatParser(std::string folder, bool overContent, std::string content)
        : folder_(std::move(folder)), overContent_(overContent), content_(std::move(content)) {}
    bool Open(const std::string& fileName) override {
        tree_.reset();
        if (!overContent_) {
            std::string path = folder_.empty() ? fileName : folder_ + "/" + fileName;
            if (!ReadFile(path)) return false;
        }
        auto tree = std::make_shared<Tree>();
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetUserData(parser, tree.get());
        XML_SetElementHandler(parser, StartElement, EndElement);
        XML_SetCharacterDataHandler(parser, CharacterData);
        XML_SetUnknownEncodingHandler(parser, UnknownEncoding, nullptr);
        bool parsed = XML_Parse(parser, content_.data(), static_cast<int>(content_.size()), 1) == XML_STATUS_OK;
        XML_ParserFree(parser);
        if (!parsed || tree->elements.empty()) return false;
        tree_ = std::move(tree);
        return true;
    }
    std::unique_ptr<XmlElementSource> Root() override {
        if (!tree_) return nullptr;
        return std::make_unique<ExpatElement>(tree_, 0);
    }

private:
    bool ReadFile(const std::string& path) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) return false;
        content_.clear();
        char buffer[4096];
        std::size_t read;
        while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0) content_.append(buffer, read);
        std::fclose(file);
        return true;
    }

    std::string folder_;
    bool overContent_;
    std::string content_;
    std::shared_ptr<const Tree> tree_;
};

}  // namespace

std::unique_ptr<XmlParser> CreateExpatXmlParser(const std::string& folder) {
    return std::make_unique<ExpatParser>(folder, false, std::string());
}

std::unique_ptr<XmlParser> CreateExpatXmlParserOver(std::string content) {
    return std::make_unique<ExpatParser>(std::string(), true, std::move(content));
}
