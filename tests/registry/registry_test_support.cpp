#include "registry_test_support.h"

#include <vector>

const char kKitTree[] = "Software\\VORDA";
const char kTestTree[] = "Software\\OrtkRegistryTest";

bool DeleteKeyTree(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS) {
        // Always delete the first child: indexes shift as children go.
        char name[1024];
        for (;;) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            if (!DeleteKeyTree(key, name)) break;
        }
        RegCloseKey(key);
        RegDeleteKeyA(root, path);
    }
    return !KeyExists(root, path);
}

bool KeyExists(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool SetRawValue(HKEY root, const char* path, const char* name, DWORD type, const void* data,
                 DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool SetRawDword(HKEY root, const char* path, const char* name, DWORD value) {
    return SetRawValue(root, path, name, REG_DWORD, &value, sizeof value);
}

bool SetRawString(HKEY root, const char* path, const char* name, const std::string& text) {
    return SetRawValue(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

std::optional<RawValue> GetRawValue(HKEY root, const char* path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    RawValue value;
    DWORD size = 0;
    std::optional<RawValue> result;
    if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<BYTE> buffer(size + 1);
        if (RegQueryValueExA(key, name, nullptr, &value.type, buffer.data(), &size) == ERROR_SUCCESS) {
            value.bytes.assign(reinterpret_cast<const char*>(buffer.data()), size);
            result = value;
        }
    }
    RegCloseKey(key);
    return result;
}

std::optional<DWORD> GetRawDword(HKEY root, const char* path, const char* name) {
    std::optional<RawValue> value = GetRawValue(root, path, name);
    if (!value || value->type != REG_DWORD || value->bytes.size() != 4) return std::nullopt;
    DWORD number = 0;
    memcpy(&number, value->bytes.data(), 4);
    return number;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) content.append(buffer, read);
    CloseHandle(file);
    return content;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
