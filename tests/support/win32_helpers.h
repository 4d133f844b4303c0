// Registry, file and process helpers of the Wine tests, on the plain Win32 calls rather than
// the classes under test. Every test removes the keys and files it made, before and after
// it runs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The kit's key tree (product and client keys) below HKEY_LOCAL_MACHINE.
extern const char kKitTree[];

// Deletes path below root with everything under it; true when it is gone afterwards.
bool DeleteKeyTree(HKEY root, const std::string& path);
bool KeyExists(HKEY root, const std::string& path);

// Raw value access.
bool SetRawValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                 const void* data, DWORD size);
bool SetRawDword(HKEY root, const std::string& path, const std::string& name, DWORD value);
bool SetRawString(HKEY root, const std::string& path, const std::string& name,
                  const std::string& text, DWORD type = REG_SZ);
// True when the value is gone afterwards (also when its key is missing).
bool DeleteRawValue(HKEY root, const std::string& path, const std::string& name);

struct RawValue {
    DWORD type = 0;
    std::string bytes;
    // The data as text, up to its first NUL.
    std::string text() const { return bytes.substr(0, bytes.find('\0')); }
    // The first four bytes as a little-endian number, whatever the type and size.
    DWORD dword() const;
};
std::optional<RawValue> GetRawValue(HKEY root, const std::string& path, const std::string& name);
// Only a REG_DWORD of exactly four bytes gives a number.
std::optional<DWORD> GetRawDword(HKEY root, const std::string& path, const std::string& name);

// A new empty folder below the temporary folder, removed with everything in it.
class TempFolder {
public:
    explicit TempFolder(const std::string& name);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    // Creates an empty file in the folder and gives its full path.
    std::string AddFile(const std::string& name) const;

private:
    std::string path_;
};

bool FileExists(const std::string& path);
bool CreateEmptyFile(const std::string& path);
// Whole content of a file; nullopt when it is missing.
std::optional<std::string> ReadWholeFile(const std::string& path);
// Deletes a folder with everything in it.
void RemoveFolder(const std::string& path);

// Runs a program of the system folder with arguments and waits; its exit code, or -1.
int RunSystemProgram(const std::string& program, const std::string& arguments);

// A Unix path as the Z: path Wine gives it.
std::string WindowsPathOf(const std::string& unixPath);
