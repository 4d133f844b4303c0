#include "core/text_value.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/platform.h"

const char kPathTrimSet[] = " \t\n\r";
const char kFormatError[] = "_FORMAT_ERROR_";

namespace {

constexpr std::size_t kFormatStep = 2048;
constexpr std::size_t kFormatLimit = 102400;

bool InSet(char c, const char* set) {
    return c != '\0' && std::strchr(set, c) != nullptr;
}

// Both ends trimmed; a text made only of set characters stays as it is.
std::string Trimmed(const std::string& text, const char* set) {
    std::size_t first = 0;
    while (first < text.size() && InSet(text[first], set)) ++first;
    if (first == text.size()) return text;
    std::size_t last = text.size() - 1;
    while (last > first && InSet(text[last], set)) --last;
    return text.substr(first, last - first + 1);
}

}  // namespace

std::string FormatText(TextValue& target, const char* format, ...) {
    for (std::size_t size = kFormatStep; size <= kFormatLimit; size += kFormatStep) {
        std::string buffer(size, '\0');
        va_list args;
        va_start(args, format);
        int written = platform::FormatV(&buffer[0], size, format, args);
        va_end(args);
        if (written < 0) break;
        if (static_cast<std::size_t>(written) < size) {
            buffer.resize(static_cast<std::size_t>(written));
            target.assign(buffer);
            return buffer;
        }
    }
    return kFormatError;
}

std::string JoinPath(TextValue& target, const std::string& first, const std::string& second,
                     char separator, const char* trimSet) {
    std::string a = Trimmed(first, trimSet);
    std::string b = Trimmed(second, trimSet);
    if (!a.empty() && !b.empty() && a.back() != separator) a += separator;
    if (!b.empty() && b.front() == separator) b.erase(0, 1);
    std::string joined = a + b;
    target.assign(joined);
    return joined;
}

std::string TrimText(TextValue& target, const char* set) {
    std::string trimmed = Trimmed(target.str(), set);
    target.assign(trimmed);
    return trimmed;
}

std::vector<std::string> SplitText(const TextValue& source, const char* delimiters,
                                   const char* trimSet, unsigned limit) {
    std::vector<std::string> pieces;
    const std::string& text = source.str();
    std::size_t position = 0;
    for (;;) {
        std::size_t found = std::string::npos;
        if (pieces.size() + 1 < limit) {
            for (std::size_t i = position; i < text.size(); ++i) {
                if (InSet(text[i], delimiters)) {
                    found = i;
                    break;
                }
            }
        }
        std::size_t end = found == std::string::npos ? text.size() : found;
        pieces.push_back(Trimmed(text.substr(position, end - position), trimSet));
        if (found == std::string::npos) break;
        position = found + 1;
    }
    return pieces;
}

bool UpperCaseText(TextValue& target) {
    if (!target.empty()) target.assign(platform::UpperCase(target.str()));
    return true;
}

void AssignWideText(TextValue& target, const wchar_t* wide) {
    target.assign(wide && *wide ? platform::WideToAnsi(wide) : std::string());
}

std::uint64_t ParseVersionNumber(const char* text) {
    std::uint64_t runs[4] = {0, 0, 0, 0};
    int count = 0;
    for (const char* p = text ? text : ""; *p && count < 4;) {
        if (*p >= '0' && *p <= '9') {
            std::uint64_t value = 0;
            while (*p >= '0' && *p <= '9') value = value * 10 + static_cast<unsigned>(*p++ - '0');
            runs[count++] = value;
        } else {
            ++p;
        }
    }
    switch (count) {
    case 0: return 0;
    case 1: return runs[0];
    case 2: return (runs[0] << 48) + (runs[1] << 32);
    case 3: return (runs[0] << 48) + (runs[1] << 32) + runs[2];
    default: return (runs[0] << 48) + (runs[1] << 32) + (runs[2] << 16) + runs[3];
    }
}

std::string FullPath(const std::string& path) {
    std::string full;
    return platform::FullPathName(path, 2048, full) ? full : path;
}

namespace {

std::optional<std::string> FolderOfModule(std::size_t bufferSize) {
    std::string name;
    if (!platform::ModuleFileName(bufferSize, name)) return std::nullopt;
    std::size_t slash = name.rfind('\\');
    if (slash == std::string::npos) return std::nullopt;
    return name.substr(0, slash);
}

}  // namespace

std::optional<std::string> ProgramFolder() {
    return FolderOfModule(260);
}

std::int32_t ProgramFolder(std::string& folder) {
    std::optional<std::string> found = FolderOfModule(1024);
    if (!found) return kEFail;
    folder = *found;
    return 0;
}

std::string ShortPathForm(const std::string& path) {
    std::string shortForm;
    return platform::ShortPathName(path, 260, shortForm) ? shortForm : path;
}

std::optional<std::string> LoadResourceText(unsigned id, TextValue& out) {
    std::string text;
    if (!platform::LoadResourceString(id, 10240, text) || text.empty()) return std::nullopt;
    out.assign(text);
    return text;
}

const char* FindSwitchChar(const char* text, const char* set) {
    if (!text || !set) return nullptr;
    for (const char* p = text; *p; p = platform::NextChar(p)) {
        if (InSet(*p, set)) return p + 1;
    }
    return nullptr;
}

std::string TextBeforeNul(const char* data, std::size_t size) {
    std::size_t length = 0;
    while (length < size && data[length] != '\0') ++length;
    return std::string(data, length);
}

bool PathExists(const std::string& path, PathKind kind) {
    std::uint32_t attributes = platform::FileAttributes(path);
    if (attributes == platform::kInvalidFileAttributes) return false;
    bool folder = (attributes & platform::kFileAttributeDirectory) != 0;
    switch (kind) {
    case PathKind::File: return !folder;
    case PathKind::Folder: return folder;
    default: return true;
    }
}
