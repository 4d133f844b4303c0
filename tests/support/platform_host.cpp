// Host stand-ins for the platform operations: code page 1252 and Windows path rules.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <vector>

#include "core/platform.h"
#include "platform_host.h"

namespace {

std::string& ModuleName() {
    static std::string name = [] {
        char buffer[4096];
        ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        std::string path = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "/program";
        std::string windows = "Z:";
        for (char c : path) windows += c == '/' ? '\\' : c;
        return windows;
    }();
    return name;
}

std::string& CurrentFolder() {
    static std::string folder = "C:\\";
    return folder;
}

std::map<unsigned, std::string>& Strings() {
    static std::map<unsigned, std::string> strings;
    return strings;
}

unsigned char Upper1252(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
    switch (c) {
    case 0x9A: return 0x8A;  // s caron
    case 0x9C: return 0x8C;  // oe
    case 0x9E: return 0x8E;  // z caron
    case 0xFF: return 0x9F;  // y diaeresis
    default: return c;
    }
}

std::uint16_t& LangId() {
    static std::uint16_t langId = 0x0409;
    return langId;
}

std::map<std::string, std::uint32_t>& FakeAttributes() {
    static std::map<std::string, std::uint32_t> attributes;
    return attributes;
}

bool IsSlash(char c) { return c == '\\' || c == '/'; }

}  // namespace

namespace platform {

std::string UpperCase(const std::string& text) {
    std::string upper = text;
    for (char& c : upper) c = static_cast<char>(Upper1252(static_cast<unsigned char>(c)));
    return upper;
}

const char* NextChar(const char* position) {
    return *position ? position + 1 : position;
}

// The rules of GetFullPathNameA for drive paths: separators become backslashes, "." and
// ".." are resolved, a relative path is taken from the current folder.
bool FullPathName(const std::string& path, std::size_t bufferSize, std::string& out) {
    if (path.empty()) return false;
    std::string full;
    if (path.size() >= 2 && path[1] == ':') {
        full = path.substr(0, 2) + "\\" + path.substr(2);
    } else if (IsSlash(path[0]) && path.size() > 1 && IsSlash(path[1])) {
        full = path;
    } else if (IsSlash(path[0])) {
        full = CurrentFolder().substr(0, 2) + path;
    } else {
        full = CurrentFolder() + "\\" + path;
    }
    bool unc = full.size() > 1 && IsSlash(full[0]) && IsSlash(full[1]);
    std::string head = unc ? "\\\\" : full.substr(0, 2) + "\\";
    std::vector<std::string> parts;
    std::string part;
    std::size_t start = unc ? 2 : 2;
    for (std::size_t i = start; i <= full.size(); ++i) {
        if (i == full.size() || IsSlash(full[i])) {
            if (part == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += full[i];
        }
    }
    std::string result = head;
    for (std::size_t i = 0; i < parts.size(); ++i) result += (i ? "\\" : "") + parts[i];
    if (IsSlash(path.back()) && !parts.empty()) result += "\\";
    if (result.size() + 1 > bufferSize) return false;
    out = result;
    return true;
}

// The host's file systems keep no 8.3 names: like a volume with short names turned off.
bool ShortPathName(const std::string&, std::size_t, std::string&) { return false; }

bool ModuleFileName(std::size_t bufferSize, std::string& out) {
    if (ModuleName().empty() || ModuleName().size() + 1 > bufferSize) return false;
    out = ModuleName();
    return true;
}

bool LoadResourceString(unsigned id, std::size_t bufferSize, std::string& out) {
    auto found = Strings().find(id);
    if (found == Strings().end() || found->second.empty()) return false;
    out = found->second.substr(0, bufferSize - 1);
    return true;
}

std::string WideToAnsi(const wchar_t* wide) {
    std::string text;
    for (const wchar_t* p = wide; p && *p; ++p) {
        text += *p < 0x100 ? static_cast<char>(*p) : '?';
    }
    return text;
}

std::uint16_t UserDefaultLangId() { return LangId(); }

int FormatV(char* buffer, std::size_t size, const char* format, std::va_list args) {
    return std::vsnprintf(buffer, size, format, args);
}

std::uint32_t FileAttributes(const std::string& path) {
    auto fake = FakeAttributes().find(UpperCase(path));
    if (fake != FakeAttributes().end()) return fake->second;
    if (path.size() < 3 || (path[0] != 'Z' && path[0] != 'z') || path[1] != ':') {
        return kInvalidFileAttributes;
    }
    std::string unixPath;
    for (char c : path.substr(2)) unixPath += c == '\\' ? '/' : c;
    struct stat status;
    if (stat(unixPath.c_str(), &status) != 0) return kInvalidFileAttributes;
    return S_ISDIR(status.st_mode) ? kFileAttributeDirectory : 0x80u;  // FILE_ATTRIBUTE_NORMAL
}

namespace host {

void SetModuleFileName(const std::string& name) { ModuleName() = name; }
void SetCurrentFolder(const std::string& folder) { CurrentFolder() = folder; }
void SetResourceString(unsigned id, const std::string& text) {
    if (text.empty()) Strings().erase(id); else Strings()[id] = text;
}
void ClearResourceStrings() { Strings().clear(); }
void SetUserDefaultLangId(std::uint16_t langId) { LangId() = langId; }
void SetFileAttributes(const std::string& path, std::uint32_t attributes) {
    if (attributes == kInvalidFileAttributes) FakeAttributes().erase(UpperCase(path));
    else FakeAttributes()[UpperCase(path)] = attributes;
}
void ClearFileAttributes() { FakeAttributes().clear(); }

}  // namespace host
}  // namespace platform
