#include "kit_values.h"

#include <vector>

namespace kit {

HINSTANCE moduleInstance = nullptr;

const char kProductSubkey[] = "Software\\VORDA\\OrvalisToolKit";
const char kClientSubkey[] = "Software\\VORDA\\OrvalisToolKit\\ClientInstall";
const char kSharedLibrarySubkey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kComponentLibraryName[] = "AddinProbe2.dll";

namespace {

// Reads one value whole; false when the key or value is missing.
bool ReadRaw(const char* subkey, const char* name, DWORD& type, std::vector<BYTE>& data) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        data.assign(size + 1, 0);  // one spare NUL for strings stored without theirs
        status = RegQueryValueExA(key, name, nullptr, &type, data.data(), &size);
        data.resize(size);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::string TextOf(const std::vector<BYTE>& data) {
    std::string text(data.begin(), data.end());
    std::size_t nul = text.find('\0');
    if (nul != std::string::npos) text.erase(nul);
    return text;
}

}  // namespace

std::string ModulePath() {
    char name[MAX_PATH];
    DWORD length = GetModuleFileNameA(moduleInstance, name, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return std::string(name, length);
}

std::string ModuleFolder() {
    std::string path = ModulePath();
    std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool ReadDword(const char* subkey, const char* name, DWORD& value) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadRaw(subkey, name, type, data) || type != REG_DWORD || data.size() != 4) return false;
    value = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<DWORD>(data[3]) << 24);
    return true;
}

bool ReadString(const char* subkey, const char* name, std::string& text) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadRaw(subkey, name, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    text = TextOf(data);
    return true;
}

bool ValueType(const char* subkey, const char* name, DWORD& type) {
    std::vector<BYTE> data;
    return ReadRaw(subkey, name, type, data);
}

void AnswerText(const std::string& text, VARIANT* answer) {
    VariantInit(answer);
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0);
    BSTR wide = SysAllocStringLen(nullptr, length);
    if (!wide) return;  // out of memory: the answer stays empty
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide, length);
    answer->vt = VT_BSTR;
    answer->bstrVal = wide;
}

void AnswerBool(bool value, VARIANT* answer) {
    VariantInit(answer);
    answer->vt = VT_BOOL;
    answer->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void AnswerNumber(long value, VARIANT* answer) {
    VariantInit(answer);
    answer->vt = VT_I4;
    answer->lVal = value;
}

void AnswerRegistryValue(const char* subkey, const char* name, VARIANT* answer) {
    VariantInit(answer);
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadRaw(subkey, name, type, data)) return;
    DWORD number = 0;
    if (type == REG_SZ || type == REG_EXPAND_SZ)
        AnswerText(TextOf(data), answer);
    else if (ReadDword(subkey, name, number))
        AnswerNumber(static_cast<long>(number), answer);
}

bool ArgumentText(const VARIANT& argument, std::string& text) {
    VARIANT copy;
    VariantInit(&copy);
    // By-reference arguments (as scripts pass them) are followed by VariantChangeType.
    if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(&argument), 0, VT_BSTR)))
        return false;
    int length = WideCharToMultiByte(CP_ACP, 0, copy.bstrVal, SysStringLen(copy.bstrVal),
                                     nullptr, 0, nullptr, nullptr);
    text.assign(length, '\0');
    WideCharToMultiByte(CP_ACP, 0, copy.bstrVal, SysStringLen(copy.bstrVal), &text[0], length,
                        nullptr, nullptr);
    VariantClear(&copy);
    return true;
}

bool ArgumentNumber(const VARIANT& argument, long& number) {
    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(&argument), 0, VT_I4))) return false;
    number = copy.lVal;
    return true;
}

std::string FindLibrary(const std::string& fileName) {
    if (fileName.empty()) return {};
    std::vector<std::string> candidates;
    if (fileName.find_first_of("\\/:") != std::string::npos) {
        candidates.push_back(fileName);
    } else {
        std::string own = ModuleFolder();
        if (!own.empty()) candidates.push_back(own + "\\" + fileName);
        char system[MAX_PATH];
        UINT length = GetSystemDirectoryA(system, MAX_PATH);
        if (length > 0 && length < MAX_PATH) candidates.push_back(std::string(system) + "\\" + fileName);
    }
    for (const std::string& path : candidates) {
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return path;
    }
    // This server is the kit's component library, whatever name its file was given.
    if (lstrcmpiA(fileName.c_str(), kComponentLibraryName) == 0) return ModulePath();
    return {};
}

std::string FileVersionText(const std::string& path) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return {};
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &infoSize) ||
        !info || infoSize < sizeof(VS_FIXEDFILEINFO))
        return {};
    char text[64];
    wsprintfA(text, "%u.%u.%u.%u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
              HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
    return text;
}

}  // namespace kit
