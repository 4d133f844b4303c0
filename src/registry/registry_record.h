// The registry record: one line naming a key, one of its values and optionally its data,
// in the syntax of registry script lines, e.g.
//   [HKEY_LOCAL_MACHINE\Software\VORDA\OrvalisToolKit\ClientInstall]"InstallStatus"=DWORD:5
// Portable parsing only; the Win32 classes apply the results.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Numeric values of the predefined root keys (the values of HKEY_CLASSES_ROOT etc.).
constexpr std::uint32_t kRootClassesRoot = 0x80000000u;
constexpr std::uint32_t kRootCurrentUser = 0x80000001u;
constexpr std::uint32_t kRootLocalMachine = 0x80000002u;
constexpr std::uint32_t kRootUsers = 0x80000003u;
constexpr std::uint32_t kRootCurrentConfig = 0x80000005u;
constexpr std::uint32_t kRootDynData = 0x80000006u;

// Registry type codes the parser produces.
constexpr std::uint32_t kTypeString = 1;  // REG_SZ
constexpr std::uint32_t kTypeBinary = 3;  // REG_BINARY
constexpr std::uint32_t kTypeDword = 4;   // REG_DWORD

// The handle value of a root key: the 32-bit number sign-extended to the width of a
// pointer, as the system defines HKEY_LOCAL_MACHINE and the others on 64-bit builds too.
constexpr std::intptr_t RootKeyHandleValue(std::uint32_t root) {
    return static_cast<std::intptr_t>(static_cast<std::int32_t>(root));
}

// Looks up an upper-cased root name ("HKEY_LOCAL_MACHINE", "HKLM", ...); false when unknown.
bool LookUpRootKey(const std::string& upperName, std::uint32_t& root);

// Key part of a record: the root and the subkey path between the brackets.
struct RecordKey {
    std::uint32_t root = 0;
    std::string subkeyPath;
};

// Parses the key part; false for a malformed line or an unknown root name. A key path that
// holds a double quote or an at sign is refused too: the value part is found by scanning
// the whole line, so such a record would name a different value than the one intended.
bool ParseRecordKey(const std::string& record, RecordKey& key);

// Value part of a record and its data.
struct RecordValue {
    bool named = false;  // the name (possibly empty: the default value) was found
    std::string name;
    bool hasData = false;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// Parses the value part and the data. The result may be false with `named` set: the name
// was read but the data was malformed.
bool ParseRecordValue(const std::string& record, RecordValue& value);

// Unsigned hexadecimal number in the manner of strtoul(text, &end, 16): leading white
// space, an optional sign (minus negates modulo 2^32), an optional 0x prefix taken only when
// a hex digit follows, digits; saturates at 0xFFFFFFFF. *end is just past what was read,
// or text itself when no digit was read.
std::uint32_t ParseHexNumber(const char* text, const char** end);

// Key from a path and an extra part: root part before the first backslash (unknown
// names fall back to HKEY_LOCAL_MACHINE), subkey path after it, extra joined below.
RecordKey KeyFromPath(const std::string& path, const std::string& extra);

// True when a key path and value name can be carried by a record unchanged: the key path
// holds no double quote, at sign or closing bracket and the name no double quote.
bool RecordFieldsSafe(const std::string& keyPath, const std::string& valueName);
