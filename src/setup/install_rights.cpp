#include "setup/install_rights.h"

#include <cstring>

#include "core/handles.h"
#include "core/result_codes.h"
#include "core/text_value.h"

namespace {

constexpr DWORD kWriteCheckAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;  // 0x2001F
constexpr char kSystemSubkey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr unsigned kFirstProbeNumber = 1000;
constexpr unsigned kLastProbeNumber = 1999;

// The program files folder as the registry names it, of any value type; false when the
// key or the value cannot be read.
bool ReadProgramFilesFolder(char (&folder)[MAX_PATH + 1]) {
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSystemSubkey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return false;
    std::memset(folder, 0, sizeof folder);
    DWORD size = MAX_PATH;  // one byte stays spare, so the text always ends
    return RegQueryValueExA(key.get(), "ProgramFilesDir", nullptr, nullptr,
                            reinterpret_cast<BYTE*>(folder), &size) == ERROR_SUCCESS;
}

}  // namespace

std::int32_t CheckKeyWritable(HKEY root, const char* subkey) {
    UniqueKey key;
    if (RegOpenKeyExA(root, subkey, 0, kWriteCheckAccess, key.put()) != ERROR_SUCCESS)
        return SETUP_E_KEY_ACCESS;
    return 0;
}

std::int32_t ProbeFolderWritable(const char* folder) {
    std::int32_t result = SETUP_E_FOLDER_ACCESS;
    for (unsigned number = kFirstProbeNumber; number <= kLastProbeNumber; ++number) {
        TextValue probeName;
        std::string name = FormatText(probeName, "%s\\bw%x.zpm", folder, number);
        // A folder whose probe name does not fit cannot be probed: counted as not writable.
        if (name.size() >= MAX_PATH) return SETUP_E_FOLDER_ACCESS;

        UniqueFile existing(CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (existing) continue;  // the name is taken by someone else's file
        if (GetLastError() != ERROR_FILE_NOT_FOUND) continue;

        UniqueFile probe(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (probe) {
            probe.reset();
            DeleteFileA(name.c_str());
            result = 0;
        }
        break;  // the first free name decides, created or not
    }
    return result;
}

bool CheckInstallRights() {
    if (CheckKeyWritable(HKEY_LOCAL_MACHINE, "Software") < 0) return false;
    if (CheckKeyWritable(HKEY_LOCAL_MACHINE, kSystemSubkey) < 0) return false;

    char windowsFolder[MAX_PATH] = {};
    UINT length = GetWindowsDirectoryA(windowsFolder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    if (ProbeFolderWritable(windowsFolder) < 0) return false;

    char systemFolder[MAX_PATH] = {};
    length = GetSystemDirectoryA(systemFolder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    std::int32_t deciding = ProbeFolderWritable(systemFolder);
    if (deciding < 0) return false;

    char programFiles[MAX_PATH + 1];
    if (ReadProgramFilesFolder(programFiles)) deciding = ProbeFolderWritable(programFiles);
    return deciding >= 0;
}
