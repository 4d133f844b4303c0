// Record helpers of the set-up's registry values and the diagnostic log section.
// Short-lived: each user builds its own.
#pragma once

#include <cstdint>
#include <string>

#include "core/diagnostic_log.h"

// Key paths of the set-up's registry values.
extern const char kClientKey[];         // HKEY_LOCAL_MACHINE\Software\VORDA\OrvalisToolKit\ClientInstall
extern const char kProductKey[];        // HKEY_LOCAL_MACHINE\Software\VORDA\OrvalisTOOLKit
extern const char kSystemKey[];         // HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion
extern const char kSharedLibraryKey[];  // ...\CurrentVersion\SharedDLLs
extern const char kClientSubkey[];      // Software\VORDA\OrvalisToolKit\ClientInstall (below HKLM)

// The three record formats.
extern const char kReadRecordFormat[];         // [%s]"%s"
extern const char kStringWriteRecordFormat[];  // [%s]"%s"="%s"
extern const char kDwordWriteRecordFormat[];   // [%s]"%s"=DWORD:%x

// The DWORD read of ReadClientDword as a plain function: every SetupServices reads
// "DEBUG" through it before its diagnostic log exists.
bool ReadClientDwordValue(const char* name, std::uint32_t& value);

class SetupServices {
public:
    SetupServices();   // opens a diagnostic log section when "DEBUG" is a REG_DWORD
    virtual ~SetupServices();  // ends the section
    SetupServices(const SetupServices&) = delete;
    SetupServices& operator=(const SetupServices&) = delete;

    // The set-up's values under the client key. A failed write is silent: the set-up goes
    // on without the value.
    bool ReadClientDword(const char* name, std::uint32_t& value);
    void WriteClientDword(const char* name, std::uint32_t value);
    void WriteClientString(const char* name, const char* text);
    // The same reads and writes under another key (default: the product key); true when
    // the value was read or written.
    bool ReadRegistryString(const char* name, std::string& text, const char* keyPath = nullptr);
    bool WriteRegistryString(const char* name, const char* text, const char* keyPath = nullptr);
    bool ReadRegistryDword(const char* name, std::uint32_t& value, const char* keyPath);
    bool WriteRegistryDword(const char* name, std::uint32_t value, const char* keyPath);

    bool WriteLogLine(const char* message) { return log_.WriteLogLine(message); }

private:
    DiagnosticLog log_;
};
