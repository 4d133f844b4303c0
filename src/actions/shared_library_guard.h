// Keeps the system's reference count for the system folder's "ImageHlp.dll" under the
// SharedDLLs key at 10 or more, so that no uninstaller removes the library the kit needs.
#pragma once

#include <string>

class SharedLibraryGuard {
public:
    // Does all the work: a count that is missing, not a DWORD or below 10 becomes exactly
    // 10; a count of 10 or more is left alone.
    SharedLibraryGuard();
    virtual ~SharedLibraryGuard() = default;
    SharedLibraryGuard(const SharedLibraryGuard&) = delete;
    SharedLibraryGuard& operator=(const SharedLibraryGuard&) = delete;

    const std::string& systemFolder() const { return systemFolder_; }

private:
    std::string systemFolder_;
};
