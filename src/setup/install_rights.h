// The rights check that comes before anything is written: the machine-wide registry keys
// and folders that the kit's installation needs must be writable by this user.
#pragma once

#include <windows.h>

#include <cstdint>

// True when HKLM\Software, HKLM\...\CurrentVersion, the Windows folder, the system folder
// and the program files folder (when the registry names one) are all writable.
bool CheckInstallRights();

// 0 when the key opens with read, set-value and create-subkey access; else SETUP_E_KEY_ACCESS.
std::int32_t CheckKeyWritable(HKEY root, const char* subkey);

// 0 when a probe file can be created (and is deleted again) in the folder; else
// SETUP_E_FOLDER_ACCESS. Leaves no file behind.
std::int32_t ProbeFolderWritable(const char* folder);
