#include "win32_helpers.h"

#include <vector>

const char kKitTree[] = "Software\\VORDA";

bool DeleteKeyTree(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS) {
        // Always delete the first child: indexes shift as children go.
        char name[1024];
        for (;;) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            if (!DeleteKeyTree(key, name)) break;
        }
        RegCloseKey(key);
        RegDeleteKeyA(root, path.c_str());
    }
    return !KeyExists(root, path);
}

bool KeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool SetRawValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                 const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool SetRawDword(HKEY root, const std::string& path, const std::string& name, DWORD value) {
    return SetRawValue(root, path, name, REG_DWORD, &value, sizeof value);
}

bool SetRawString(HKEY root, const std::string& path, const std::string& name,
                  const std::string& text, DWORD type) {
    return SetRawValue(root, path, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

bool DeleteRawValue(HKEY root, const std::string& path, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS) return true;
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
    return !GetRawValue(root, path, name).has_value();
}

DWORD RawValue::dword() const {
    DWORD value = 0;
    for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i)
        value |= static_cast<DWORD>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return value;
}

std::optional<RawValue> GetRawValue(HKEY root, const std::string& path, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    RawValue value;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        std::vector<BYTE> data(size + 1);
        status = RegQueryValueExA(key, name.c_str(), nullptr, &value.type, data.data(), &size);
        value.bytes.assign(reinterpret_cast<const char*>(data.data()), size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return value;
}

std::optional<DWORD> GetRawDword(HKEY root, const std::string& path, const std::string& name) {
    std::optional<RawValue> value = GetRawValue(root, path, name);
    if (!value || value->type != REG_DWORD || value->bytes.size() != 4) return std::nullopt;
    return value->dword();
}

TempFolder::TempFolder(const std::string& name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + name;
    RemoveFolder(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveFolder(path_); }

std::string TempFolder::AddFile(const std::string& name) const {
    std::string file = path_ + "\\" + name;
    CreateEmptyFile(file);
    return file;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CreateEmptyFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.append(buffer, read);
    CloseHandle(file);
    return content;
}

void RemoveFolder(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string inside = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveFolder(inside);
            else DeleteFileA(inside.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

int RunSystemProgram(const std::string& program, const std::string& arguments) {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    std::string path = std::string(system) + "\\" + program;
    std::string command = "\"" + path + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(path.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

std::string WindowsPathOf(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}
