// Reading the disc for the check (win32 build): whole files and resource libraries loaded
// as data, so no code of theirs ever runs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/handles.h"

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Text of one code page in another (CP_UTF8, CP_ACP, ...).
std::string Recode(const std::string& text, UINT from, UINT to);

// The text in lower case by the ANSI code page's rules, as the system compares paths.
std::string LowerAnsi(std::string text);

// Whether the byte starts a two-byte character in the ANSI code page (the layout texts'
// tokeniser asks).
bool IsAnsiLeadByte(unsigned char c);

// A resource library mapped as data (LoadLibraryExA with LOAD_LIBRARY_AS_DATAFILE and, where
// the system knows it, LOAD_LIBRARY_AS_IMAGE_RESOURCE).
class DataLibrary {
public:
    explicit DataLibrary(const std::string& path);
    explicit operator bool() const { return static_cast<bool>(module_); }
    HMODULE Module() const { return module_.get(); }
    // The bytes of a resource, or nothing when the library lacks it.
    std::optional<std::string> Resource(unsigned id, LPCSTR type) const;

private:
    UniqueModule module_;
};
