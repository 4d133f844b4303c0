// Registry access shared by the sample package installer and its clean-up program.
#pragma once

#include <windows.h>

#include <string>

namespace sample_package {

// The set-up's client key, where it publishes "ClientHandle" and "CancelPressed".
constexpr const char kClientSubkey[] = "Software\\VORDA\\OrvalisToolKit\\ClientInstall";
// The product key, where the set-up records "Installation_Directory".
constexpr const char kProductSubkey[] = "Software\\VORDA\\OrvalisTOOLKit";
// How tests steer the sample package: "Mode", "Seconds", "CleanupSeconds"; the package
// records "CommandLine" and "Result" there.
constexpr const char kSettingsSubkey[] = "Software\\VORDA\\OrvalisToolKit\\SamplePackage";

constexpr UINT WM_INSTALL_STATUS = WM_USER + 100;

// The registry view of the settings: the package's own, unless a 64-bit build of one of its
// programs is told to read the 32-bit package's view (KEY_WOW64_32KEY).
#ifndef SAMPLE_REGISTRY_VIEW
#define SAMPLE_REGISTRY_VIEW 0
#endif

inline bool ReadDword(const char* subkey, const char* name, DWORD& value) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ | SAMPLE_REGISTRY_VIEW, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = sizeof value;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value;
}

inline std::string ReadString(const char* subkey, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ | SAMPLE_REGISTRY_VIEW, &key) != ERROR_SUCCESS) return {};
    char buffer[1024] = {};
    DWORD type = 0, size = sizeof buffer - 1;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
    return std::string(buffer);
}

inline void WriteString(const char* subkey, const char* name, const std::string& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0, KEY_WRITE | SAMPLE_REGISTRY_VIEW, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

// A DWORD setting in seconds, bounded so that the sample never runs for ever.
inline DWORD SecondsSetting(const char* name, DWORD fallback) {
    DWORD value = fallback;
    ReadDword(kSettingsSubkey, name, value);
    return value > 600 ? 600 : value;
}

}  // namespace sample_package
