#include "disccheck/disc_files.h"

namespace {

// Known to the system from Windows Vista on.
constexpr DWORD kLoadAsImageResource = 0x00000020;

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    for (;;) {
        if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return std::nullopt;
        if (read == 0) break;
        bytes.append(buffer, read);
    }
    return bytes;
}

std::string Recode(const std::string& text, UINT from, UINT to) {
    if (text.empty()) return std::string();
    int length = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return std::string();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    int size = WideCharToMultiByte(to, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string recoded(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(to, 0, wide.data(), length, &recoded[0], size, nullptr, nullptr);
    return recoded;
}

std::string LowerAnsi(std::string text) {
    if (!text.empty()) CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

bool IsAnsiLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

DataLibrary::DataLibrary(const std::string& path) {
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | kLoadAsImageResource);
    // Older systems refuse the image flag; a checker of another bitness than the library
    // may not map it as an image. The plain data file still yields every resource.
    if (!module) module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    module_.reset(module);
}

std::optional<std::string> DataLibrary::Resource(unsigned id, LPCSTR type) const {
    if (!module_) return std::nullopt;
    HRSRC found = FindResourceA(module_.get(), MAKEINTRESOURCEA(id), type);
    if (!found) return std::nullopt;
    HGLOBAL loaded = LoadResource(module_.get(), found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return std::nullopt;
    return std::string(static_cast<const char*>(data), SizeofResource(module_.get(), found));
}
