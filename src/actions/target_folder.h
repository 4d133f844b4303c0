// Choice of the folder the kit is installed to: the program files folder when its drive
// has room, otherwise the first local drive that has. The choice is recorded as
// "Installation_Directory" under the product key.
#pragma once

#include <memory>
#include <string>

class SetupServices;

// Appended by the installation sequence to the chosen base folder, as it stands.
extern const char kKitSubfolder[];  // "\Vorda\OrvalisToolkit"

class TargetFolder {
public:
    // Records through the caller's services, in its log section.
    explicit TargetFolder(SetupServices& services);
    // Records through services of its own.
    TargetFolder();
    virtual ~TargetFolder();
    TargetFolder(const TargetFolder&) = delete;
    TargetFolder& operator=(const TargetFolder&) = delete;

    // Picks the location, sets path and records it. False when no place has room; path
    // then keeps the program files folder and nothing is written.
    bool ChooseLocation();
    // path = "ProgramFilesDir" when it is a REG_SZ; otherwise path is left as it was.
    bool ReadProgramFilesDir();
    // At least 30 MiB available to the user on the volume of name (a folder or "X:").
    bool HasEnoughSpace(const char* name);
    // Fixed drives, and names the system cannot type (DRIVE_NO_ROOT_DIR), are accepted.
    bool IsAcceptedDriveType(const char* drive);
    // Puts the letter of every present drive into its slot.
    void ListDrives();
    // Records folder as "Installation_Directory" under the product key; a failure is
    // logged, and the installation goes on with the folder it chose.
    void WriteInstallationDirectory(const char* folder);

    const std::string& path() const { return path_; }
    // Slot i holds 'A' + i when that drive exists, 0 otherwise.
    const char* driveLetters() const { return driveLetters_; }

private:
    std::unique_ptr<SetupServices> ownServices_;
    SetupServices& services_;
    std::string path_;
    char driveLetters_[26] = {};
};
