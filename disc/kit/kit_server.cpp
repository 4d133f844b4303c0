// The sample kit's in-process COM server: class factories for the seven kit classes and
// self-registration under HKEY_CLASSES_ROOT, as regsvr32 asks for it.
#include <windows.h>
#include <objbase.h>
#include <olectl.h>

#include <new>
#include <string>

#include "actions/kit_classes.h"
#include "kit_objects.h"
#include "kit_values.h"

namespace {

class KitClassFactory : public IClassFactory {
public:
    explicit KitClassFactory(const KitClass& row) : row_(row) {
        InterlockedIncrement(&kit::liveObjects);
    }
    virtual ~KitClassFactory() { InterlockedDecrement(&kit::liveObjects); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
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
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (object) *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return kit::CreateKitObject(row_, iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            InterlockedIncrement(&kit::serverLocks);
        else
            InterlockedDecrement(&kit::serverLocks);
        return S_OK;
    }

private:
    const KitClass& row_;
    LONG references_ = 1;
};

std::string GuidText(const GUID& guid) {
    wchar_t wide[40];
    if (StringFromGUID2(guid, wide, 40) == 0) return {};
    char text[40];
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

bool SetString(HKEY base, const std::string& subkey, const char* name, const std::string& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(base, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// Deletes a key and everything below it; a missing key counts as deleted.
bool DeleteTree(HKEY base, const std::string& subkey) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(base, subkey.c_str(), 0, KEY_READ | KEY_WRITE, &key);
    if (status == ERROR_FILE_NOT_FOUND) return true;
    if (status != ERROR_SUCCESS) return false;
    char name[256];
    bool ok = true;
    // Always enumerate index 0: each pass deletes the child found there.
    for (;;) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (!DeleteTree(key, name)) {
            ok = false;
            break;
        }
    }
    RegCloseKey(key);
    return ok && RegDeleteKeyA(base, subkey.c_str()) == ERROR_SUCCESS;
}

bool RegisterClass(const KitClass& row, const std::string& server) {
    std::string classKey = "CLSID\\" + GuidText(row.classId);
    return SetString(HKEY_CLASSES_ROOT, classKey, nullptr, row.name) &&
           SetString(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", nullptr, server) &&
           SetString(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", "ThreadingModel", "Apartment") &&
           SetString(HKEY_CLASSES_ROOT, classKey + "\\ProgID", nullptr, row.progId) &&
           SetString(HKEY_CLASSES_ROOT, row.progId, nullptr, row.name) &&
           SetString(HKEY_CLASSES_ROOT, std::string(row.progId) + "\\CLSID", nullptr,
                     GuidText(row.classId));
}

bool UnregisterClass(const KitClass& row) {
    bool classGone = DeleteTree(HKEY_CLASSES_ROOT, "CLSID\\" + GuidText(row.classId));
    bool progIdGone = DeleteTree(HKEY_CLASSES_ROOT, row.progId);
    return classGone && progIdGone;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        kit::moduleInstance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (const KitClass& row : kKitClasses) {
        if (!IsEqualCLSID(classId, row.classId)) continue;
        KitClassFactory* factory = new (std::nothrow) KitClassFactory(row);
        if (!factory) return E_OUTOFMEMORY;
        HRESULT hr = factory->QueryInterface(iid, object);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return kit::liveObjects == 0 && kit::serverLocks == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    std::string server = kit::ModulePath();
    if (server.empty()) return SELFREG_E_CLASS;
    for (const KitClass& row : kKitClasses) {
        if (!RegisterClass(row, server)) {
            // Leave nothing half-registered behind.
            for (const KitClass& other : kKitClasses) UnregisterClass(other);
            return SELFREG_E_CLASS;
        }
    }
    return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    bool ok = true;
    for (const KitClass& row : kKitClasses) ok = UnregisterClass(row) && ok;
    return ok ? S_OK : SELFREG_E_CLASS;
}
