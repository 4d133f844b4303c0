// The XML tree's source over the SDK's XML object model (IXMLDocument2, IXMLElement2).
#include <windows.h>
#include <msxml.h>
#include <ocidl.h>

#include <algorithm>

#include "core/handles.h"
#include "description/xml_parser_win32.h"

namespace {

const CLSID kClsidXmlDocument = {0xCFC399AF, 0xD876, 0x11D0, {0x9C, 0x10, 0x00, 0xC0, 0x4F, 0xC9, 0x9C, 0x8E}};
const IID kIidXmlDocument2 = {0x2B8DE2FE, 0x8D2D, 0x11D1, {0xB2, 0xFC, 0x00, 0xC0, 0x4F, 0xD9, 0x15, 0xA9}};
const IID kIidXmlElement2 = {0x2B8DE2FF, 0x8D2D, 0x11D1, {0xB2, 0xFC, 0x00, 0xC0, 0x4F, 0xD9, 0x15, 0xA9}};
const IID kIidXmlAttribute = {0xD4D4A0FC, 0x3B73, 0x11D1, {0xB2, 0xB4, 0x00, 0xC0, 0x4F, 0xB9, 0x25, 0x96}};

// item(index, empty) of a collection, as a dispatch object; null when it fails.
ComPtr<IDispatch> CollectionItem(IXMLElementCollection* collection, long index) {
    ScopedVariant position;
    ScopedVariant empty;
    position.value.vt = VT_I4;
    position.value.lVal = index;
    ComPtr<IDispatch> item;
    HRESULT hr = collection->item(position.value, empty.value, item.put());
    if (FAILED(hr)) item.reset();
    return item;
}

// Items of a collection in order. The tree reads every list from its first item to its
// last: the collection's enumerator steps from one item to the next, where item(index)
// may walk the list from its start each time (quadratic on a list of 100,000 entries).
// Any other order, or an enumerator that fails, falls back to item(index).
class CollectionCursor {
public:
    explicit CollectionCursor(ComPtr<IXMLElementCollection> list) : list_(std::move(list)) {}

    IXMLElementCollection* get() const { return list_.get(); }

    ComPtr<IDispatch> At(long index) {
        if (index == 0) Restart();
        if (enumerator_ && index == next_) {
            ScopedVariant item;
            ULONG fetched = 0;
            if (enumerator_->Next(1, &item.value, &fetched) == S_OK && fetched == 1 &&
                item.value.vt == VT_DISPATCH && item.value.pdispVal) {
                ++next_;
                ComPtr<IDispatch> result;
                item.value.pdispVal->AddRef();
                *result.put() = item.value.pdispVal;
                return result;
            }
        }
        enumerator_.reset();
        return CollectionItem(list_.get(), index);
    }

private:
    void Restart() {
        enumerator_.reset();
        next_ = 0;
        ComPtr<IUnknown> unknown;
        if (FAILED(list_->get__newEnum(unknown.put())) || !unknown) return;
        if (FAILED(unknown->QueryInterface(IID_IEnumVARIANT, enumerator_.put_void()))) {
            enumerator_.reset();
            return;
        }
        if (FAILED(enumerator_->Reset())) enumerator_.reset();
    }

    ComPtr<IXMLElementCollection> list_;
    ComPtr<IEnumVARIANT> enumerator_;
    long next_ = 0;
};

bool CollectionLength(IXMLElementCollection* collection, long& count) {
    LONG length = 0;
    if (FAILED(collection->get_length(&length))) return false;
    count = length;
    return true;
}

class ObjectModelElement : public XmlElementSource {
public:
    explicit ObjectModelElement(ComPtr<IXMLElement2> element) : element_(std::move(element)) {}

    std::unique_ptr<XmlElementList> Children() override;
    std::unique_ptr<XmlAttributeList> Attributes() override;

    bool Tag(std::string& tag) override {
        UniqueBstr text;
        HRESULT hr = element_->get_tagName(text.put());
        tag = xml_win32::NarrowText(text.get());
        return SUCCEEDED(hr);
    }
    bool Text(std::string& value) override {
        UniqueBstr text;
        HRESULT hr = element_->get_text(text.put());
        value = xml_win32::NarrowText(text.get());
        return SUCCEEDED(hr);
    }
    std::int32_t Type() override {
        LONG type = 0;
        HRESULT hr = element_->get_type(&type);
        if (FAILED(hr)) throw ComponentError(hr, xml_win32::ToInterfaceId(kIidXmlElement2));
        return type;
    }

private:
    ComPtr<IXMLElement2> element_;
};

class ObjectModelChildren : public XmlElementList {
public:
    explicit ObjectModelChildren(ComPtr<IXMLElementCollection> list) : list_(std::move(list)) {}

    bool Length(long& count) override { return CollectionLength(list_.get(), count); }
    std::unique_ptr<XmlElementSource> Item(long index) override {
        ComPtr<IDispatch> item = list_.At(index);
        if (!item) return nullptr;
        ComPtr<IXMLElement2> element;
        if (FAILED(item->QueryInterface(kIidXmlElement2, element.put_void())) || !element) return nullptr;
        return std::make_unique<ObjectModelElement>(std::move(element));
    }

private:
    CollectionCursor list_;
};

class ObjectModelAttributes : public XmlAttributeList {
public:
    explicit ObjectModelAttributes(ComPtr<IXMLElementCollection> list) : list_(std::move(list)) {}

    bool Length(long& count) override { return CollectionLength(list_.get(), count); }
    bool Item(long index, std::string& name, std::string& value) override {
        ComPtr<IDispatch> item = list_.At(index);
        if (!item) return false;
        ComPtr<IXMLAttribute> attribute;
        if (FAILED(item->QueryInterface(kIidXmlAttribute, attribute.put_void())) || !attribute) return false;
        UniqueBstr text;
        attribute->get_name(text.put());
        name = xml_win32::NarrowText(text.get());
        attribute->get_value(text.put());
        value = xml_win32::NarrowText(text.get());
        return true;
    }

private:
    CollectionCursor list_;
};

std::unique_ptr<XmlElementList> ObjectModelElement::Children() {
    ComPtr<IXMLElementCollection> list;
    if (FAILED(element_->get_children(list.put())) || !list) return nullptr;
    return std::make_unique<ObjectModelChildren>(std::move(list));
}

std::unique_ptr<XmlAttributeList> ObjectModelElement::Attributes() {
    ComPtr<IXMLElementCollection> list;
    if (FAILED(element_->get_attributes(list.put())) || !list) return nullptr;
    return std::make_unique<ObjectModelAttributes>(std::move(list));
}

// Handles what the window system has for this thread, then waits up to `milliseconds`
// for more (or for anything posted).
void PumpMessagesFor(DWORD milliseconds) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
}

class ObjectModelParser : public XmlParser {
public:
    ObjectModelParser(ComPtr<IXMLDocument2> document, DWORD loadWaitMs)
        : document_(std::move(document)), loadWaitMs_(loadWaitMs) {}

    bool Open(const std::string& fileName) override {
        // The component may load in the background (its async property): ask for a
        // synchronous load, and still wait for the document to say it is complete.
        document_->put_async(VARIANT_FALSE);
        UniqueBstr url(xml_win32::AllocAnsiString(fileName));
        HRESULT hr = document_->put_URL(url.get());
        return SUCCEEDED(hr) && WaitUntilComplete();
    }
    std::unique_ptr<XmlElementSource> Root() override {
        ComPtr<IXMLElement2> root;
        if (FAILED(document_->get_root(root.put())) || !root) return nullptr;
        return std::make_unique<ObjectModelElement>(std::move(root));
    }

private:
    // A load that does not complete within the wait is an unreadable file, like one that
    // does not parse. The loader may need this thread's messages to get there.
    bool WaitUntilComplete() {
        DWORD start = GetTickCount();
        for (;;) {
            LONG state = READYSTATE_COMPLETE;
            // A component that cannot tell its state loaded synchronously, as asked.
            if (FAILED(document_->get_readyState(&state))) return true;
            if (state == READYSTATE_COMPLETE) return true;
            DWORD waited = GetTickCount() - start;
            if (waited >= loadWaitMs_) return false;
            PumpMessagesFor(std::min<DWORD>(20, loadWaitMs_ - waited));
        }
    }

    ComPtr<IXMLDocument2> document_;
    DWORD loadWaitMs_;
};

}  // namespace

namespace xml_win32 {

std::unique_ptr<XmlParser> CreateObjectModelParser() {
    ComPtr<IXMLDocument2> document;
    if (FAILED(CoCreateInstance(kClsidXmlDocument, nullptr, CLSCTX_INPROC_SERVER, kIidXmlDocument2,
                                document.put_void())) || !document) {
        return nullptr;
    }
    return std::make_unique<ObjectModelParser>(std::move(document), kDescriptionLoadWaitMs);
}

std::unique_ptr<XmlParser> ObjectModelParserOver(IXMLDocument2* document, DWORD loadWaitMs) {
    if (!document) return nullptr;
    ComPtr<IXMLDocument2> owned;
    document->AddRef();
    *owned.put() = document;
    return std::make_unique<ObjectModelParser>(std::move(owned), loadWaitMs);
}

}  // namespace xml_win32
