// Keeps the system's reference count for the system folder's "ImageHlp.dll" under the
// SharedDLLs key at 10 or more, so that no uninstaller removes the library the kit needs.
#pragma once

#include <string>

class SetupServices;

class SharedLibraryGuard {
public:
    // Does all the work: a count that is missing, not a DWORD or below 10 becomes exactly
    // 10; a count of 10 or more is left alone. Reads and writes through the caller's
    // services, or through services of its own.
    explicit SharedLibraryGuard(SetupServices& services);
    SharedLibraryGuard();
    virtual ~SharedLibraryGuard() = default;
    SharedLibraryGuard(const SharedLibraryGuard&) = delete;
    SharedLibraryGuard& operator=(const SharedLibraryGuard&) = delete;

    const std::string& systemFolder() const { return systemFolder_; }

private:
    void Raise(SetupServices& services);

    std::string systemFolder_;
};
