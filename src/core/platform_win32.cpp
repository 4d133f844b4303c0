// The platform operations of the portable core, over the Win32 calls.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "core/module_state.h"
#include "core/platform.h"

namespace platform {

std::string UpperCase(const std::string& text) {
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    CharUpperA(copy.data());
    return std::string(copy.data(), text.size());
}

const char* NextChar(const char* position) {
    return CharNextA(position);
}

bool FullPathName(const std::string& path, std::size_t bufferSize, std::string& out) {
    std::vector<char> buffer(bufferSize, '\0');
    DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(bufferSize), buffer.data(), nullptr);
    if (length == 0 || length >= bufferSize) return false;
    out.assign(buffer.data(), length);
    return true;
}

bool ShortPathName(const std::string& path, std::size_t bufferSize, std::string& out) {
    std::vector<char> buffer(bufferSize, '\0');
    DWORD length = GetShortPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(bufferSize));
    if (length == 0 || length >= bufferSize) return false;
    out.assign(buffer.data(), length);
    return true;
}

bool ModuleFileName(std::size_t bufferSize, std::string& out) {
    HINSTANCE instance = module::ProgramInstance();
    if (!instance) return false;
    std::vector<char> buffer(bufferSize, '\0');
    DWORD length = GetModuleFileNameA(instance, buffer.data(), static_cast<DWORD>(bufferSize));
    // A name that fills the whole buffer was cut: treat it as a failure, not a folder.
    if (length == 0 || length >= bufferSize) return false;
    out.assign(buffer.data(), length);
    return true;
}

bool LoadResourceString(unsigned id, std::size_t bufferSize, std::string& out) {
    std::vector<char> buffer(bufferSize, '\0');
    int length = LoadStringA(module::ResourceInstance(), id, buffer.data(), static_cast<int>(bufferSize));
    if (length <= 0) return false;
    out.assign(buffer.data(), static_cast<std::size_t>(length));
    return true;
}

std::string WideToAnsi(const wchar_t* wide) {
    if (!wide || !*wide) return std::string();
    int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return std::string();
    std::vector<char> buffer(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, buffer.data(), size, nullptr, nullptr);
    return std::string(buffer.data());
}

std::uint16_t UserDefaultLangId() {
    return GetUserDefaultLangID();
}

// The C run-time's own _vsnprintf rather than MinGW's C99 printf, which would add about
// 25 KB of formatting and floating-point code for the strings and integers formatted here.
// _vsnprintf gives -1 and no NUL when the text does not fit; _vscprintf the length needed.
int FormatV(char* buffer, std::size_t size, const char* format, std::va_list args) {
    std::va_list again;
    va_copy(again, args);
    int written = size ? _vsnprintf(buffer, size, format, args) : -1;
    if (written < 0 || static_cast<std::size_t>(written) >= size) {
        written = _vscprintf(format, again);
        if (size) buffer[size - 1] = '\0';
    }
    va_end(again);
    return written;
}

std::uint32_t FileAttributes(const std::string& path) {
    return GetFileAttributesA(path.c_str());
}

}  // namespace platform
