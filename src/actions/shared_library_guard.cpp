#include "actions/shared_library_guard.h"

#include <windows.h>

#include <cstdint>

#include "core/text_value.h"
#include "registry/setup_services.h"

namespace {

constexpr char kGuardedLibrary[] = "ImageHlp.dll";
constexpr std::uint32_t kMinimumCount = 10;

}  // namespace

SharedLibraryGuard::SharedLibraryGuard(SetupServices& services) { Raise(services); }

SharedLibraryGuard::SharedLibraryGuard() {
    SetupServices services;
    Raise(services);
}

void SharedLibraryGuard::Raise(SetupServices& services) {
    char folder[260];
    UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length > 0 && length < sizeof folder) systemFolder_.assign(folder, length);

    TextValue joined;
    std::string libraryPath = JoinPath(joined, systemFolder_, kGuardedLibrary, '\\', kPathTrimSet);
    std::uint32_t count = 0;
    if (services.ReadRegistryDword(libraryPath.c_str(), count, kSharedLibraryKey) &&
        count >= kMinimumCount)
        return;
    // A failed write is silent: the count is a courtesy to other installers.
    services.WriteRegistryDword(libraryPath.c_str(), kMinimumCount, kSharedLibraryKey);
}
