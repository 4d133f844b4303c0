// Registry, file and process helpers of the Win32 action tests. Every test removes the
// keys and files it made, before and after it runs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Deletes path below root with everything under it; true when it is gone afterwards.
bool DeleteTree(HKEY root, const std::string& path);
bool KeyExists(HKEY root, const std::string& path);

// Raw value access, not through the classes under test.
bool PutValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
              const void* data, DWORD size);
bool PutDword(HKEY root, const std::string& path, const std::string& name, DWORD value);
bool PutString(HKEY root, const std::string& path, const std::string& name,
               const std::string& text, DWORD type = REG_SZ);
bool DeleteValue(HKEY root, const std::string& path, const std::string& name);

struct StoredValue {
    DWORD type = 0;
    std::string bytes;
    // The data as text, up to its first NUL.
    std::string text() const { return bytes.substr(0, bytes.find('\0')); }
    DWORD dword() const;
};
std::optional<StoredValue> GetValue(HKEY root, const std::string& path, const std::string& name);

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
// Deletes a folder with its files (one level deep is all the tests make).
void RemoveFolder(const std::string& path);

// Runs a program of the system folder with arguments and waits; its exit code, or -1.
int RunSystemProgram(const std::string& program, const std::string& arguments);

// A Unix path as the Z: path Wine gives it.
std::string WindowsPathOf(const std::string& unixPath);
