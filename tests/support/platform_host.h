// Host build only: what the host stand-ins of the platform operations answer, for tests.
#pragma once

#include <cstdint>
#include <string>

namespace platform::host {

// The program's module file name (default: this executable as a Z: path).
void SetModuleFileName(const std::string& name);
// The current folder that FullPathName resolves relative paths against (default "C:\").
void SetCurrentFolder(const std::string& folder);
// String-table entries of the resource instance; an empty text removes the entry.
void SetResourceString(unsigned id, const std::string& text);
void ClearResourceStrings();
// What UserDefaultLangId answers (default 0x0409, English (United States)).
void SetUserDefaultLangId(std::uint16_t langId);
// Attributes FileAttributes answers for a path (compared without case); kInvalid...
// removes the entry. Other Z:\ paths are looked up in the host file system.
void SetFileAttributes(const std::string& path, std::uint32_t attributes);
void ClearFileAttributes();

}  // namespace platform::host
