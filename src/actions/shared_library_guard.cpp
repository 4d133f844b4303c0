#include "actions/shared_library_guard.h"

#include <windows.h>

#include <cstdint>

#include "core/byte_order.h"
#include "core/text_value.h"
#include "registry/registry_key.h"
#include "registry/registry_value.h"
#include "registry/setup_services.h"

namespace {

constexpr char kGuardedLibrary[] = "ImageHlp.dll";
constexpr std::uint32_t kMinimumCount = 10;

bool CountIsEnough(const std::string& libraryPath) {
    TextValue record;
    RegistryKey key;
    RegistryValue count;
    if (!key.SetFromRecord(
            FormatText(record, kReadRecordFormat, kSharedLibraryKey, libraryPath.c_str()).c_str()))
        return false;
    if (!count.Read(key, libraryPath.c_str()) || count.type() != REG_DWORD || count.size() < 4)
        return false;
    return LittleEndian32(count.data()) >= kMinimumCount;
}

}  // namespace

SharedLibraryGuard::SharedLibraryGuard() {
    char folder[260];
    UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length > 0 && length < sizeof folder) systemFolder_.assign(folder, length);

    TextValue joined;
    std::string libraryPath = JoinPath(joined, systemFolder_, kGuardedLibrary, '\\', kPathTrimSet);
    if (CountIsEnough(libraryPath)) return;

    TextValue record;
    std::string line = FormatText(record, kDwordWriteRecordFormat, kSharedLibraryKey,
                                  libraryPath.c_str(), static_cast<unsigned>(kMinimumCount));
    RegistryKey key;
    RegistryValue count;
    // A failed write is silent: the count is a courtesy to other installers.
    if (key.SetFromRecord(line.c_str()) && count.SetFromRecord(line.c_str())) count.Write(key);
}
