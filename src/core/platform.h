// The few platform operations the portable core needs. The win32 build implements them
// with the Win32 calls named below; the host build with equivalents for code page 1252.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// CharUpperA: locale-aware upper case of single-byte text.
std::string UpperCase(const std::string& text);

// CharNextA: the next character, stepping over double-byte characters whole.
const char* NextChar(const char* position);

// GetFullPathNameA into a buffer of bufferSize bytes; false when the call fails or the
// result does not fit.
bool FullPathName(const std::string& path, std::size_t bufferSize, std::string& out);

// GetShortPathNameA into bufferSize bytes; false when the call fails or the result does
// not fit.
bool ShortPathName(const std::string& path, std::size_t bufferSize, std::string& out);

// GetModuleFileNameA of the program instance into bufferSize bytes; false when it fails
// or the name does not fit.
bool ModuleFileName(std::size_t bufferSize, std::string& out);

// LoadStringA from the resource instance into bufferSize bytes; false for an empty or
// missing entry.
bool LoadResourceString(unsigned id, std::size_t bufferSize, std::string& out);

// Wide text to the ANSI code page.
std::string WideToAnsi(const wchar_t* wide);

// GetUserDefaultLangID: primary language in the low 10 bits, sub-language above.
std::uint16_t UserDefaultLangId();

// vsnprintf with the C99 result: the length of the whole text, whether it fit or not
// (negative for a bad format); the text is cut to the buffer and always ends with a NUL.
// The win32 build formats with the system's C run-time.
int FormatV(char* buffer, std::size_t size, const char* format, std::va_list args);

// GetFileAttributesA; kInvalidFileAttributes when the path does not exist.
constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
constexpr std::uint32_t kFileAttributeDirectory = 0x10u;
std::uint32_t FileAttributes(const std::string& path);

}  // namespace platform
