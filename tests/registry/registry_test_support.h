// Registry and file helpers of the Win32 registry tests. Each test deletes the keys it
// uses before and after it runs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The kit's key tree (product and client keys) below HKEY_LOCAL_MACHINE.
extern const char kKitTree[];
// A private tree of the key tests below HKEY_CURRENT_USER.
extern const char kTestTree[];

// Deletes path below root with everything under it; true when it is gone afterwards.
bool DeleteKeyTree(HKEY root, const char* path);
bool KeyExists(HKEY root, const char* path);

// Raw value access, not through the classes under test.
bool SetRawValue(HKEY root, const char* path, const char* name, DWORD type, const void* data,
                 DWORD size);
bool SetRawDword(HKEY root, const char* path, const char* name, DWORD value);
bool SetRawString(HKEY root, const char* path, const char* name, const std::string& text);
struct RawValue {
    DWORD type = 0;
    std::string bytes;
};
std::optional<RawValue> GetRawValue(HKEY root, const char* path, const char* name);
std::optional<DWORD> GetRawDword(HKEY root, const char* path, const char* name);

// Whole content of a file, read through the Win32 file calls; nullopt when it is missing.
std::optional<std::string> ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);
