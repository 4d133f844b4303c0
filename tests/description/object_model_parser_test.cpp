// The tree over the SDK's XML object model (IXMLDocument2, IXMLElement2, ...). Wine has no
// such component, so it is played here by small fake component objects that check how
// they are called and count how many of them are still alive.
#include <windows.h>
#include <msxml.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/module_state.h"
#include "core/text_value.h"
#include "description/component_error.h"
#include "description/xml_document.h"
#include "description/xml_parser_win32.h"

namespace {

const IID kIidXmlDocument2 = {0x2B8DE2FE, 0x8D2D, 0x11D1, {0xB2, 0xFC, 0x00, 0xC0, 0x4F, 0xD9, 0x15, 0xA9}};
const IID kIidXmlElement2 = {0x2B8DE2FF, 0x8D2D, 0x11D1, {0xB2, 0xFC, 0x00, 0xC0, 0x4F, 0xD9, 0x15, 0xA9}};
const IID kIidXmlAttribute = {0xD4D4A0FC, 0x3B73, 0x11D1, {0xB2, 0xB4, 0x00, 0xC0, 0x4F, 0xB9, 0x25, 0x96}};
const IID kIidXmlCollection = {0x65725580, 0x9B5D, 0x11D0, {0x9B, 0xFE, 0x00, 0xC0, 0x4F, 0xC9, 0x9C, 0x8E}};

int g_alive = 0;
int g_badItemCalls = 0;

// IUnknown and IDispatch for one interface I; objects count themselves while alive.
template <typename I>
class Fake : public I {
public:
    explicit Fake(const IID& iid) : iid_(iid) { ++g_alive; }
    virtual ~Fake() { --g_alive; }

    HRESULT WINAPI QueryInterface(REFIID riid, void** out) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, iid_)) {
            *out = static_cast<I*>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return ++references_; }
    ULONG WINAPI Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT WINAPI GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT WINAPI GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT WINAPI GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT WINAPI Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

private:
    IID iid_;
    ULONG references_ = 1;
};

HRESULT GiveString(const wchar_t* text, BSTR* out) {
    *out = text ? SysAllocString(text) : nullptr;
    return S_OK;
}

class FakeAttribute : public Fake<IXMLAttribute> {
public:
    FakeAttribute(const wchar_t* name, const wchar_t* value)
        : Fake(kIidXmlAttribute), name_(name), value_(value) {}
    HRESULT WINAPI get_name(BSTR* out) override { return GiveString(name_.c_str(), out); }
    HRESULT WINAPI get_value(BSTR* out) override { return GiveString(value_.c_str(), out); }

private:
    std::wstring name_, value_;
};

// Holds one reference to each item; item() insists on the VT_I4 index and VT_EMPTY variant.
class FakeCollection : public Fake<IXMLElementCollection> {
public:
    FakeCollection() : Fake(kIidXmlCollection) {}
    ~FakeCollection() override {
        for (IDispatch* item : items) if (item) item->Release();
    }
    HRESULT WINAPI put_length(LONG) override { return E_NOTIMPL; }
    HRESULT WINAPI get_length(LONG* count) override {
        *count = static_cast<LONG>(items.size());
        return S_OK;
    }
    HRESULT WINAPI get__newEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT WINAPI item(VARIANT index, VARIANT empty, IDispatch** out) override {
        *out = nullptr;
        if (index.vt != VT_I4 || empty.vt != VT_EMPTY) {
            ++g_badItemCalls;
            return E_INVALIDARG;
        }
        if (index.lVal < 0 || index.lVal >= static_cast<LONG>(items.size())) return E_INVALIDARG;
        IDispatch* item = items[static_cast<std::size_t>(index.lVal)];
        if (!item) return E_FAIL;  // an item that cannot be fetched
        item->AddRef();
        *out = item;
        return S_OK;
    }

    std::vector<IDispatch*> items;
};

class FakeElement : public Fake<IXMLElement2> {
public:
    explicit FakeElement(const wchar_t* tag, LONG type = 0) : Fake(kIidXmlElement2), tag_(tag), type_(type) {}
    ~FakeElement() override {
        children_->Release();
        attributes_->Release();
    }

    FakeElement* Add(FakeElement* child) {
        children_->items.push_back(child);
        return child;
    }
    void AddItem(IDispatch* item) { children_->items.push_back(item); }
    FakeElement* Attribute(const wchar_t* name, const wchar_t* value) {
        attributes_->items.push_back(new FakeAttribute(name, value));
        return this;
    }
    void AddAttributeItem(IDispatch* item) { attributes_->items.push_back(item); }
    void SetText(const wchar_t* text) { text_ = text; }
    HRESULT typeResult = S_OK;

    HRESULT WINAPI get_tagName(BSTR* out) override { return GiveString(tag_, out); }
    HRESULT WINAPI put_tagName(BSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI get_parent(IXMLElement2**) override { return E_NOTIMPL; }
    HRESULT WINAPI setAttribute(BSTR, VARIANT) override { return E_NOTIMPL; }
    HRESULT WINAPI getAttribute(BSTR, VARIANT*) override { return E_NOTIMPL; }
    HRESULT WINAPI removeAttribute(BSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI get_children(IXMLElementCollection** out) override {
        children_->AddRef();
        *out = children_;
        return S_OK;
    }
    HRESULT WINAPI get_type(LONG* type) override {
        *type = type_;
        return typeResult;
    }
    HRESULT WINAPI get_text(BSTR* out) override { return GiveString(text_, out); }
    HRESULT WINAPI put_text(BSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI addChild(IXMLElement2*, LONG, LONG) override { return E_NOTIMPL; }
    HRESULT WINAPI removeChild(IXMLElement2*) override { return E_NOTIMPL; }
    HRESULT WINAPI get_attributes(IXMLElementCollection** out) override {
        attributes_->AddRef();
        *out = attributes_;
        return S_OK;
    }

private:
    const wchar_t* tag_;
    LONG type_;
    const wchar_t* text_ = nullptr;
    FakeCollection* children_ = new FakeCollection;
    FakeCollection* attributes_ = new FakeCollection;
};

// When a load the fake accepted is complete: at once, once this thread has dispatched a
// timer message (as the component's loader needs its messages), never, or later with the
// document unreadable.
enum class Completion { AtOnce, Later, Never, LaterWithError };

// A document that "parses" only the URLs it was given a root for.
class FakeDocument : public Fake<IXMLDocument2> {
public:
    FakeDocument() : Fake(kIidXmlDocument2) {}
    ~FakeDocument() override {
        for (auto& file : files) file.second->Release();
    }

    HRESULT WINAPI get_root(IXMLElement2** out) override {
        *out = nullptr;
        if (!current_ || state_ != READYSTATE_COMPLETE) return E_FAIL;
        current_->AddRef();
        *out = current_;
        return S_OK;
    }
    HRESULT WINAPI put_URL(BSTR url) override {
        TextValue name;
        AssignWideText(name, url);
        urls.push_back(name.str());
        asyncAtLoad.push_back(async_);
        auto found = files.find(name.str());
        if (found == files.end()) return INET_E_RESOURCE_NOT_FOUND;
        current_ = found->second;
        state_ = completion == Completion::AtOnce ? READYSTATE_COMPLETE : READYSTATE_LOADING;
        if (completion == Completion::Later || completion == Completion::LaterWithError)
            SetTimer(nullptr, 0, 50, &FakeDocument::Complete);
        return S_OK;
    }
    HRESULT WINAPI get_fileSize(BSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI get_fileModifiedDate(BSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI get_fileUpdatedDate(BSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI get_URL(BSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI get_mimeType(BSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI get_readyState(LONG* state) override {
        *state = state_;
        return S_OK;
    }
    HRESULT WINAPI get_charset(BSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI put_charset(BSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI get_version(BSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI get_doctype(BSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI get_dtdURL(BSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI createElement(VARIANT, VARIANT, IXMLElement2**) override { return E_NOTIMPL; }
    HRESULT WINAPI get_async(VARIANT_BOOL* async) override {
        *async = async_;
        return S_OK;
    }
    HRESULT WINAPI put_async(VARIANT_BOOL async) override {
        async_ = async;
        return S_OK;
    }

    std::map<std::string, FakeElement*> files;  // one reference each
    std::vector<std::string> urls;
    std::vector<VARIANT_BOOL> asyncAtLoad;  // the async property at each put_URL
    Completion completion = Completion::AtOnce;

private:
    static void CALLBACK Complete(HWND, UINT, UINT_PTR timer, DWORD);

    FakeElement* current_ = nullptr;
    LONG state_ = READYSTATE_UNINITIALIZED;
    VARIANT_BOOL async_ = VARIANT_TRUE;  // the component's default
};

FakeDocument* g_document = nullptr;

void CALLBACK FakeDocument::Complete(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (!g_document) return;
    g_document->state_ = READYSTATE_COMPLETE;
    if (g_document->completion == Completion::LaterWithError) g_document->current_ = nullptr;
}

// Loads that never complete are given up after two seconds here.
std::unique_ptr<XmlParser> OverFakeDocument() {
    return xml_win32::ObjectModelParserOver(g_document, 2000);
}

class ObjectModel : public ::testing::Test {
protected:
    void SetUp() override {
        module::Initialize(GetModuleHandleA(nullptr));
        g_alive = 0;
        g_badItemCalls = 0;
        g_document = new FakeDocument;
        previous_ = XmlDocument::SetParserFactory(&OverFakeDocument);
    }
    void TearDown() override {
        XmlDocument::SetParserFactory(previous_);
        g_document->Release();
        g_document = nullptr;
        EXPECT_EQ(g_alive, 0) << "component objects leaked or released too often";
        EXPECT_EQ(g_badItemCalls, 0) << "item() called without a VT_I4 index and a VT_EMPTY variant";
    }

    XmlParserFactory previous_ = nullptr;
};

std::string Value(const XmlNode* node, const char* name) {
    const XmlAttribute* attribute = node ? node->FindAttribute(name) : nullptr;
    return attribute ? attribute->value : "<none>";
}

TEST_F(ObjectModel, CopiesTagsTextsTypesAndAttributes) {
    auto* root = new FakeElement(L"CD_CLIENT");
    root->Attribute(L"XML_ROOT", L"xml")->Attribute(L"KEY", L"first")->Attribute(L"KEY", L"second");
    root->Attribute(L"LICENSE", L"caf\x00e9.txt");
    root->AddAttributeItem(new FakeElement(L"NOT_AN_ATTRIBUTE"));
    FakeElement* language = root->Add(new FakeElement(L"LANGUAGE"));
    language->Attribute(L"KEY", L"LANG_FRENCH");
    language->SetText(L"texte");
    root->Add(new FakeElement(nullptr, 1))->SetText(L"loose text");
    root->AddItem(new FakeAttribute(L"NOT", L"an element"));
    root->AddItem(nullptr);
    g_document->files["cd_client.qxml"] = root;

    XmlDocument document;
    int before = g_alive;
    ASSERT_EQ(document.Load("cd_client.qxml", 99, true), 1);
    EXPECT_EQ(g_alive, before) << "Load holds nothing afterwards";
    const XmlNode* copy = document.Root();
    EXPECT_EQ(copy->tag, "");
    EXPECT_EQ(Value(copy, "XML_ROOT"), "xml");
    EXPECT_EQ(Value(copy, "KEY"), "first");
    EXPECT_EQ(Value(copy, "LICENSE"), "caf\xe9.txt");
    EXPECT_EQ(copy->Attributes().size(), 3u);
    auto languages = copy->FindChildren("LANGUAGE");
    ASSERT_NE(languages.first, languages.second);
    EXPECT_EQ(languages.first->second->text, "texte");
    EXPECT_EQ(Value(languages.first->second.get(), "KEY"), "LANG_FRENCH");
    auto untagged = copy->FindChildren("");
    ASSERT_EQ(std::distance(untagged.first, untagged.second), 1) << "the non-element items are skipped";
    EXPECT_EQ(untagged.first->second->elementType, 1);
    EXPECT_EQ(untagged.first->second->text, "loose text");
}

TEST_F(ObjectModel, TriesTheProgramFolderWhenTheNameAloneFails) {
    std::string besideProgram = ProgramFolder().value() + "\\cd_client.qxml";
    g_document->files[besideProgram] = new FakeElement(L"R");
    XmlDocument document;
    ASSERT_EQ(document.Load("cd_client.qxml", 99, true), 1);
    EXPECT_EQ(g_document->urls, (std::vector<std::string>{"cd_client.qxml", besideProgram}));
    EXPECT_EQ(document.Load("other.qxml", 99, true), 0);
}

TEST_F(ObjectModel, LoadIsSynchronousAndWaitedForUntilComplete) {
    struct Row {
        Completion completion;
        int result;
        const char* what;
    };
    const Row rows[] = {
        {Completion::AtOnce, 1, "complete when put_URL returns"},
        {Completion::Later, 1, "complete once this thread's messages are handled"},
        {Completion::Never, 0, "never complete: unreadable"},
        {Completion::LaterWithError, 0, "complete without a document: unreadable"},
    };
    auto* root = new FakeElement(L"R");
    root->Add(new FakeElement(L"LANGUAGE"));
    g_document->files["cd_client.qxml"] = root;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        g_document->completion = row.completion;
        g_document->asyncAtLoad.clear();
        XmlDocument document;
        EXPECT_EQ(document.Load("cd_client.qxml", 99, true), row.result);
        EXPECT_FALSE(g_document->asyncAtLoad.empty());
        for (VARIANT_BOOL async : g_document->asyncAtLoad) EXPECT_EQ(async, VARIANT_FALSE);
        if (row.result) {
            EXPECT_EQ(document.Root()->Children().size(), 1u);
        }
    }
}

TEST_F(ObjectModel, FailingTypeRaisesTheComponentErrorWithTheElementInterface) {
    auto* root = new FakeElement(L"R");
    root->Add(new FakeElement(L"A"))->Add(new FakeElement(L"B"))->typeResult = E_UNEXPECTED;
    g_document->files["cd_client.qxml"] = root;
    XmlDocument document;
    int before = g_alive;
    try {
        document.Load("cd_client.qxml", 99, true);
        ADD_FAILURE() << "no component error";
    } catch (const ComponentError& error) {
        EXPECT_EQ(error.Result(), static_cast<std::int32_t>(E_UNEXPECTED));
        EXPECT_TRUE(error.Iid() == xml_win32::ToInterfaceId(kIidXmlElement2));
    }
    EXPECT_EQ(g_alive, before) << "Load let go of everything on its way out";
}

TEST_F(ObjectModel, DepthLimitStopsTheWalk) {
    auto* root = new FakeElement(L"R");
    FakeElement* at = root;
    for (int i = 0; i < 120; ++i) at = at->Add(new FakeElement(L"E"));
    g_document->files["deep.qxml"] = root;
    XmlDocument document;
    ASSERT_EQ(document.Load("deep.qxml", 99, false), 1);
    int depth = 0;
    for (const XmlNode* node = document.Root(); !node->Children().empty(); ++depth) {
        node = node->Children().begin()->second.get();
    }
    EXPECT_EQ(depth, 99);
}

}  // namespace
