// The XML tree's source over the platform's XML DOM (DOMDocument, IXMLDOMDocument), for
// systems whose XML library lacks the object model's IXMLDocument2. Element type codes are
// given in the object model's numbering so the tree looks the same either way.
#include <windows.h>
#include <msxml.h>

#include "core/handles.h"
#include "core/text_value.h"
#include "description/xml_parser_win32.h"

namespace {

const CLSID kClsidDomDocument = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kIidDomDocument = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kIidDomNode = {0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kIidDomAttribute = {0x2933BF85, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// The object model's element type codes.
enum : std::int32_t {
    kTypeElement = 0,
    kTypeText = 1,
    kTypeComment = 2,
    kTypeDocument = 3,
    kTypeDtd = 4,
    kTypeProcessingInstruction = 5,
    kTypeOther = 6,
};

std::int32_t ObjectModelType(DOMNodeType type) {
    switch (type) {
    case NODE_ELEMENT: return kTypeElement;
    case NODE_TEXT:
    case NODE_CDATA_SECTION: return kTypeText;
    case NODE_COMMENT: return kTypeComment;
    case NODE_DOCUMENT: return kTypeDocument;
    case NODE_DOCUMENT_TYPE: return kTypeDtd;
    case NODE_PROCESSING_INSTRUCTION: return kTypeProcessingInstruction;
    default: return kTypeOther;
    }
}

class DomElement : public XmlElementSource {
public:
    explicit DomElement(ComPtr<IXMLDOMNode> node) : node_(std::move(node)) {}

    std::unique_ptr<XmlElementList> Children() override;
    std::unique_ptr<XmlAttributeList> Attributes() override;

    // Only elements and processing instructions have a tag, as in the object model.
    bool Tag(std::string& tag) override {
        DOMNodeType type = NODE_INVALID;
        if (FAILED(node_->get_nodeType(&type))) return false;
        if (type != NODE_ELEMENT && type != NODE_PROCESSING_INSTRUCTION) return false;
        UniqueBstr text;
        HRESULT hr = node_->get_nodeName(text.put());
        tag = xml_win32::NarrowText(text.get());
        return SUCCEEDED(hr);
    }
    bool Text(std::string& value) override {
        UniqueBstr text;
        HRESULT hr = node_->get_text(text.put());
        value = xml_win32::NarrowText(text.get());
        return SUCCEEDED(hr);
    }
    std::int32_t Type() override {
        DOMNodeType type = NODE_INVALID;
        HRESULT hr = node_->get_nodeType(&type);
        if (FAILED(hr)) throw ComponentError(hr, xml_win32::ToInterfaceId(kIidDomNode));
        return ObjectModelType(type);
    }

private:
    ComPtr<IXMLDOMNode> node_;
};

// The tree reads every list from its first item to its last: nextNode steps from one
// child to the next, where get_item(index) may walk the list from its start each time
// (quadratic on 100,000 children). Any other order falls back to get_item.
class DomChildren : public XmlElementList {
public:
    explicit DomChildren(ComPtr<IXMLDOMNodeList> list) : list_(std::move(list)) {}

    bool Length(long& count) override {
        LONG length = 0;
        if (FAILED(list_->get_length(&length))) return false;
        count = length;
        return true;
    }
    std::unique_ptr<XmlElementSource> Item(long index) override {
        ComPtr<IXMLDOMNode> node;
        if (index == 0) {
            stepping_ = SUCCEEDED(list_->reset());
            next_ = 0;
        }
        if (stepping_ && index == next_ && list_->nextNode(node.put()) == S_OK && node) {
            ++next_;
            return std::make_unique<DomElement>(std::move(node));
        }
        stepping_ = false;
        node.reset();
        if (FAILED(list_->get_item(index, node.put())) || !node) return nullptr;
        return std::make_unique<DomElement>(std::move(node));
    }

private:
    ComPtr<IXMLDOMNodeList> list_;
    bool stepping_ = false;
    long next_ = 0;
};

class DomAttributes : public XmlAttributeList {
public:
    explicit DomAttributes(ComPtr<IXMLDOMNamedNodeMap> map) : map_(std::move(map)) {}

    bool Length(long& count) override {
        LONG length = 0;
        if (FAILED(map_->get_length(&length))) return false;
        count = length;
        return true;
    }
    bool Item(long index, std::string& name, std::string& value) override {
        ComPtr<IXMLDOMNode> node;
        if (FAILED(map_->get_item(index, node.put())) || !node) return false;
        ComPtr<IXMLDOMAttribute> attribute;
        if (FAILED(node->QueryInterface(kIidDomAttribute, attribute.put_void())) || !attribute) return false;
        UniqueBstr text;
        attribute->get_name(text.put());
        name = xml_win32::NarrowText(text.get());
        ScopedVariant data;
        if (SUCCEEDED(attribute->get_value(&data.value)) && data.value.vt == VT_BSTR)
            value = xml_win32::NarrowText(data.value.bstrVal);
        return true;
    }

private:
    ComPtr<IXMLDOMNamedNodeMap> map_;
};

std::unique_ptr<XmlElementList> DomElement::Children() {
    ComPtr<IXMLDOMNodeList> list;
    if (FAILED(node_->get_childNodes(list.put())) || !list) return nullptr;
    return std::make_unique<DomChildren>(std::move(list));
}

std::unique_ptr<XmlAttributeList> DomElement::Attributes() {
    ComPtr<IXMLDOMNamedNodeMap> map;
    if (FAILED(node_->get_attributes(map.put())) || !map) return nullptr;
    return std::make_unique<DomAttributes>(std::move(map));
}

class DomParser : public XmlParser {
public:
    explicit DomParser(ComPtr<IXMLDOMDocument> document) : document_(std::move(document)) {}

    // Parses synchronously, without validation and without fetching external entities or
    // DTDs: the file comes from removable media and nothing else may be read for it.
    // A plain file name is made absolute against the current folder first: Wine's DOM
    // would otherwise search for it along the search path, program folder first.
    bool Open(const std::string& fileName) override {
        document_->put_async(VARIANT_FALSE);
        document_->put_validateOnParse(VARIANT_FALSE);
        document_->put_resolveExternals(VARIANT_FALSE);
        ScopedVariant source;
        source.value.vt = VT_BSTR;
        bool address = fileName.find("://") != std::string::npos;
        source.value.bstrVal = xml_win32::AllocAnsiString(address || fileName.empty() ? fileName : FullPath(fileName));
        VARIANT_BOOL loaded = VARIANT_FALSE;
        HRESULT hr = document_->load(source.value, &loaded);
        return hr == S_OK && loaded == VARIANT_TRUE;
    }
    std::unique_ptr<XmlElementSource> Root() override {
        ComPtr<IXMLDOMElement> root;
        if (FAILED(document_->get_documentElement(root.put())) || !root) return nullptr;
        ComPtr<IXMLDOMNode> node;
        if (FAILED(root->QueryInterface(kIidDomNode, node.put_void())) || !node) return nullptr;
        return std::make_unique<DomElement>(std::move(node));
    }

private:
    ComPtr<IXMLDOMDocument> document_;
};

}  // namespace

namespace xml_win32 {

std::unique_ptr<XmlParser> CreateDomParser() {
    ComPtr<IXMLDOMDocument> document;
    if (FAILED(CoCreateInstance(kClsidDomDocument, nullptr, CLSCTX_INPROC_SERVER, kIidDomDocument,
                                document.put_void())) || !document) {
        return nullptr;
    }
    return std::make_unique<DomParser>(std::move(document));
}

}  // namespace xml_win32
