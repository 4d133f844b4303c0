#include "kit_objects.h"

#include <new>
#include <string>

#include "kit_values.h"

namespace kit {

LONG liveObjects = 0;
LONG serverLocks = 0;

namespace {

// One named operation of an object, for late binding through IDispatch. Its DISPID is
// its position in the object's member list plus one.
struct Member {
    const wchar_t* name;
    bool takesArgument;
};

// IUnknown and IDispatch for the kit's dual interfaces. There is no type library: names
// are resolved from the member list and Invoke hands the call to CallMember, which runs
// the same code as the vtable operation.
template <typename Interface>
class KitObject : public Interface {
public:
    KitObject(const KitClass& row, const Member* members, int memberCount)
        : row_(row), members_(members), memberCount_(memberCount) {
        InterlockedIncrement(&liveObjects);
    }
    virtual ~KitObject() { InterlockedDecrement(&liveObjects); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            IsEqualIID(iid, row_.interfaceId)) {
            *object = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (!names || !ids || count == 0) return E_INVALIDARG;
        HRESULT result = S_OK;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        for (int m = 0; m < memberCount_; ++m)
            if (lstrcmpiW(names[0], members_[m].name) == 0) ids[0] = m + 1;
        // Named arguments are not supported, so any name after the member's is unknown.
        if (ids[0] == DISPID_UNKNOWN || count > 1) result = DISP_E_UNKNOWNNAME;
        return result;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT* argumentError) override {
        if (id < 1 || id > memberCount_) return DISP_E_MEMBERNOTFOUND;
        if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
        const Member& member = members_[id - 1];
        UINT given = params ? params->cArgs : 0;
        if (params && params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
        if (given != (member.takesArgument ? 1u : 0u)) return DISP_E_BADPARAMCOUNT;
        VARIANT answer;
        VariantInit(&answer);
        VARIANT* argument = member.takesArgument ? &params->rgvarg[0] : nullptr;
        if (argumentError) *argumentError = 0;
        HRESULT hr = CallMember(id, argument, &answer);
        if (result)
            *result = answer;  // the caller owns the answer now
        else
            VariantClear(&answer);
        return hr;
    }

protected:
    virtual HRESULT CallMember(DISPID id, VARIANT* argument, VARIANT* answer) = 0;

    HRESULT AnswerName(VARIANT* answer) {
        if (!answer) return E_POINTER;
        AnswerText(row_.name, answer);
        return S_OK;
    }
    HRESULT AnswerKitFolder(VARIANT* answer) {
        if (!answer) return E_POINTER;
        AnswerRegistryValue(kProductSubkey, "Installation_Directory", answer);
        return S_OK;
    }

    const KitClass& row_;

private:
    const Member* members_;
    int memberCount_;
    LONG references_ = 1;
};

// The plain kit components: they tell their name and the kit's folder.
const Member kComponentMembers[] = {{L"Name", false}, {L"KitFolder", false}};

class KitComponent : public KitObject<IKitComponent> {
public:
    explicit KitComponent(const KitClass& row) : KitObject(row, kComponentMembers, 2) {}
    HRESULT STDMETHODCALLTYPE get_Name(VARIANT* name) override { return AnswerName(name); }
    HRESULT STDMETHODCALLTYPE get_KitFolder(VARIANT* folder) override {
        return AnswerKitFolder(folder);
    }

protected:
    HRESULT CallMember(DISPID id, VARIANT*, VARIANT* answer) override {
        return id == 1 ? get_Name(answer) : get_KitFolder(answer);
    }
};

// The kit state component: what the set-up recorded, and the stand-down answer.
const Member kStateMembers[] = {
    {L"Name", false},           {L"KitFolder", false},        {L"Installed", false},
    {L"InstalledLanguage", false}, {L"BinaryRoot", false},    {L"LocalContentRoot", false},
    {L"LocalXMLPath", false},   {L"UninstallDisplayName", false}, {L"PluginFolderCount", false},
    {L"PluginFolder", true},    {L"StandDown", false},
};

class KitState : public KitObject<IKitState> {
public:
    explicit KitState(const KitClass& row) : KitObject(row, kStateMembers, 11) {}

    HRESULT STDMETHODCALLTYPE get_Name(VARIANT* name) override { return AnswerName(name); }
    HRESULT STDMETHODCALLTYPE get_KitFolder(VARIANT* folder) override {
        return AnswerKitFolder(folder);
    }
    HRESULT STDMETHODCALLTYPE get_Installed(VARIANT* installed) override {
        if (!installed) return E_POINTER;
        DWORD value = 0;
        AnswerBool(ReadDword(kClientSubkey, "ClientInstalled", value) && value == 1, installed);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_InstalledLanguage(VARIANT* language) override {
        return ClientValue("InstalledLanguage", language);
    }
    HRESULT STDMETHODCALLTYPE get_BinaryRoot(VARIANT* folder) override {
        return ClientValue("BinaryRoot", folder);
    }
    HRESULT STDMETHODCALLTYPE get_LocalContentRoot(VARIANT* folder) override {
        return ClientValue("LocalContentRoot", folder);
    }
    HRESULT STDMETHODCALLTYPE get_LocalXMLPath(VARIANT* folder) override {
        return ClientValue("LocalXMLPath", folder);
    }
    HRESULT STDMETHODCALLTYPE get_UninstallDisplayName(VARIANT* name) override {
        return ClientValue("UninstallDisplayName", name);
    }
    HRESULT STDMETHODCALLTYPE get_PluginFolderCount(VARIANT* count) override {
        if (!count) return E_POINTER;
        long n = 0;
        DWORD type = 0;
        while (ValueType(kClientSubkey, PluginValueName(n + 1).c_str(), type)) ++n;
        AnswerNumber(n, count);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPluginFolder(VARIANT index, VARIANT* folder) override {
        if (!folder) return E_POINTER;
        VariantInit(folder);
        long n = 0;
        if (!ArgumentNumber(index, n)) return E_INVALIDARG;
        if (n < 1) return E_INVALIDARG;
        return ClientValue(PluginValueName(n).c_str(), folder);
    }
    // Answers the "StandDown" setting and returns the "StandDownResult" one.
    HRESULT STDMETHODCALLTYPE QueryStandDown(VARIANT* answer) override {
        if (!answer) return E_POINTER;
        DWORD value = 0;
        std::string text;
        if (ReadDword(kSampleKitSubkey, "StandDown", value))
            AnswerBool(value != 0, answer);
        else if (ReadString(kSampleKitSubkey, "StandDown", text))
            AnswerText(text, answer);
        else
            AnswerBool(false, answer);
        DWORD result = S_OK;
        ReadDword(kSampleKitSubkey, "StandDownResult", result);
        return static_cast<HRESULT>(result);
    }

protected:
    HRESULT CallMember(DISPID id, VARIANT* argument, VARIANT* answer) override {
        switch (id) {
        case 1: return get_Name(answer);
        case 2: return get_KitFolder(answer);
        case 3: return get_Installed(answer);
        case 4: return get_InstalledLanguage(answer);
        case 5: return get_BinaryRoot(answer);
        case 6: return get_LocalContentRoot(answer);
        case 7: return get_LocalXMLPath(answer);
        case 8: return get_UninstallDisplayName(answer);
        case 9: return get_PluginFolderCount(answer);
        case 10: return GetPluginFolder(*argument, answer);
        default: return QueryStandDown(answer);
        }
    }

private:
    static HRESULT ClientValue(const char* name, VARIANT* answer) {
        if (!answer) return E_POINTER;
        AnswerRegistryValue(kClientSubkey, name, answer);
        return S_OK;
    }
    static std::string PluginValueName(long n) { return "NPPath" + std::to_string(n); }
};

// The version checker: finds the kit's libraries and tells their versions.
const Member kCheckerMembers[] = {
    {L"Name", false},           {L"KitFolder", false},       {L"LocateLibrary", true},
    {L"LibraryExists", true},   {L"GetReferenceCount", true}, {L"GetLibraryVersion", true},
};

class VersionChecker : public KitObject<IKitVersionChecker> {
public:
    explicit VersionChecker(const KitClass& row) : KitObject(row, kCheckerMembers, 6) {}

    HRESULT STDMETHODCALLTYPE get_Name(VARIANT* name) override { return AnswerName(name); }
    HRESULT STDMETHODCALLTYPE get_KitFolder(VARIANT* folder) override {
        return AnswerKitFolder(folder);
    }
    HRESULT STDMETHODCALLTYPE LocateLibrary(VARIANT fileName, VARIANT* path) override {
        std::string found;
        HRESULT hr = Locate(fileName, path, found);
        if (SUCCEEDED(hr) && !found.empty()) AnswerText(found, path);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LibraryExists(VARIANT fileName, VARIANT* exists) override {
        std::string found;
        HRESULT hr = Locate(fileName, exists, found);
        if (SUCCEEDED(hr)) AnswerBool(!found.empty(), exists);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE GetReferenceCount(VARIANT fileName, VARIANT* count) override {
        std::string found;
        HRESULT hr = Locate(fileName, count, found);
        if (SUCCEEDED(hr) && !found.empty())
            AnswerRegistryValue(kSharedLibrarySubkey, found.c_str(), count);
        return hr;
    }
    // The "Version" setting when there is one, else the library's own file version.
    HRESULT STDMETHODCALLTYPE GetLibraryVersion(VARIANT fileName, VARIANT* version) override {
        if (!version) return E_POINTER;
        DWORD type = 0;
        if (ValueType(kSampleKitSubkey, "Version", type)) {
            AnswerRegistryValue(kSampleKitSubkey, "Version", version);
            return S_OK;
        }
        std::string found;
        HRESULT hr = Locate(fileName, version, found);
        if (SUCCEEDED(hr) && !found.empty()) {
            std::string text = FileVersionText(found);
            if (!text.empty()) AnswerText(text, version);
        }
        return hr;
    }

protected:
    HRESULT CallMember(DISPID id, VARIANT* argument, VARIANT* answer) override {
        switch (id) {
        case 1: return get_Name(answer);
        case 2: return get_KitFolder(answer);
        case 3: return LocateLibrary(*argument, answer);
        case 4: return LibraryExists(*argument, answer);
        case 5: return GetReferenceCount(*argument, answer);
        default: return GetLibraryVersion(*argument, answer);
        }
    }

private:
    // Empties the answer and finds the named library; found stays empty when it is not
    // there. A name that is not text is an invalid argument.
    static HRESULT Locate(const VARIANT& fileName, VARIANT* answer, std::string& found) {
        if (!answer) return E_POINTER;
        VariantInit(answer);
        std::string name;
        if (!ArgumentText(fileName, name)) return E_INVALIDARG;
        found = FindLibrary(name);
        return S_OK;
    }
};

}  // namespace

HRESULT CreateKitObject(const KitClass& row, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    IUnknown* created = nullptr;
    if (row.group == 1 && row.order == 2)
        created = static_cast<IKitState*>(new (std::nothrow) KitState(row));
    else if (row.group == 2 && row.order == 1)
        created = static_cast<IKitVersionChecker*>(new (std::nothrow) VersionChecker(row));
    else
        created = static_cast<IKitComponent*>(new (std::nothrow) KitComponent(row));
    if (!created) return E_OUTOFMEMORY;
    HRESULT hr = created->QueryInterface(iid, object);
    created->Release();
    return hr;
}

}  // namespace kit
