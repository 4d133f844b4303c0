// Text holder and the text and path operations shared by the whole set-up.
// Texts are narrow strings in the system's ANSI code page.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TextValue {
public:
    TextValue() = default;
    TextValue(const char* text) : text_(text ? text : "") {}
    TextValue(std::string text) : text_(std::move(text)) {}
    virtual ~TextValue() = default;

    const std::string& str() const { return text_; }
    const char* c_str() const { return text_.c_str(); }
    bool empty() const { return text_.empty(); }
    std::size_t size() const { return text_.size(); }
    void assign(std::string text) { text_ = std::move(text); }
    operator const std::string&() const { return text_; }

private:
    std::string text_;
};

// Blank, tab, line feed, carriage return: the trim set of every path join.
extern const char kPathTrimSet[];

// Marker returned by FormatText for a text longer than its largest buffer.
extern const char kFormatError[];

// printf-style formatting with a buffer grown in 2048-byte steps up to 102400 bytes.
std::string FormatText(TextValue& target, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

std::string JoinPath(TextValue& target, const std::string& first, const std::string& second,
                     char separator, const char* trimSet);
std::string TrimText(TextValue& target, const char* set);
std::vector<std::string> SplitText(const TextValue& source, const char* delimiters,
                                   const char* trimSet, unsigned limit = ~0u);
bool UpperCaseText(TextValue& target);
void AssignWideText(TextValue& target, const wchar_t* wide);
std::uint64_t ParseVersionNumber(const char* text);

// Absolute form of a path (GetFullPathNameA, 2048 bytes); the input when that fails.
std::string FullPath(const std::string& path);

// Folder of the program's own module, without the last backslash.
std::optional<std::string> ProgramFolder();        // 260-byte buffer
std::int32_t ProgramFolder(std::string& folder);   // 1024-byte buffer; 0 or E_FAIL

// Short (8.3) form of a path, read into 260 bytes; the path itself where the system has
// no short form or it would not fit.
std::string ShortPathForm(const std::string& path);

constexpr std::int32_t kEFail = static_cast<std::int32_t>(0x80004005u);

// String-table entry from the resource instance; out keeps its text when the entry is missing.
std::optional<std::string> LoadResourceText(unsigned id, TextValue& out);

// Position just after the first character of text that is in set, or null.
const char* FindSwitchChar(const char* text, const char* set);

// Stored text up to its first NUL, never past size bytes: registry strings and fixed
// buffers need not end in one.
std::string TextBeforeNul(const char* data, std::size_t size);

// What counts as present for PathExists.
enum class PathKind { File, Folder, FileOrFolder };
// Whether the file system has an entry of that kind at path (GetFileAttributesA).
bool PathExists(const std::string& path, PathKind kind);
