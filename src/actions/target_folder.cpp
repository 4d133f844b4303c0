#include "actions/target_folder.h"

#include <windows.h>

#include "core/text_value.h"
#include "registry/registry_key.h"
#include "registry/registry_value.h"
#include "registry/setup_services.h"

const char kKitSubfolder[] = "\\Vorda\\OrvalisToolkit";

namespace {

constexpr unsigned kMinimumFreeMiB = 30;

}  // namespace

TargetFolder::TargetFolder(SetupServices& services) : services_(services) {}

TargetFolder::TargetFolder()
    : ownServices_(std::make_unique<SetupServices>()), services_(*ownServices_) {}

TargetFolder::~TargetFolder() = default;

bool TargetFolder::ChooseLocation() {
    ReadProgramFilesDir();
    // The program files folder is taken on free space alone, whatever its drive type.
    if (HasEnoughSpace(path_.c_str())) {
        WriteInstallationDirectory(path_.c_str());
        return true;
    }
    ListDrives();
    for (char letter : driveLetters_) {
        if (letter == 0) continue;
        const char drive[3] = {letter, ':', '\0'};
        if (IsAcceptedDriveType(drive) && HasEnoughSpace(drive)) {
            path_ = drive;
            WriteInstallationDirectory(drive);
            return true;
        }
    }
    return false;
}

bool TargetFolder::ReadProgramFilesDir() {
    TextValue record;
    RegistryKey key;
    RegistryValue value;
    if (key.SetFromRecord(
            FormatText(record, kReadRecordFormat, kSystemKey, "ProgramFilesDir").c_str()) &&
        value.Read(key, "ProgramFilesDir") && value.type() == REG_SZ) {
        path_ = value.StringData();
    }
    return true;
}

bool TargetFolder::HasEnoughSpace(const char* name) {
    // An empty name would ask about the current folder's drive, which may be the set-up
    // medium itself: it counts as not enough, so that the drive search decides.
    if (!name || !*name) return false;
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExA(name, &available, &total, &free)) return false;
    return (available.QuadPart >> 20) >= kMinimumFreeMiB;
}

bool TargetFolder::IsAcceptedDriveType(const char* drive) {
    UINT type = GetDriveTypeA(drive);
    return type == DRIVE_NO_ROOT_DIR || type == DRIVE_FIXED;
}

void TargetFolder::ListDrives() {
    DWORD present = GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
        if (present & (1u << i)) driveLetters_[i] = static_cast<char>('A' + i);
}

void TargetFolder::WriteInstallationDirectory(const char* folder) {
    // Without the value the kit and the next set-up do not know where the kit went.
    if (!services_.WriteRegistryString("Installation_Directory", folder))
        services_.WriteLogLine("Installation_Directory cannot be written");
}
