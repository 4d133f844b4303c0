// Record helpers of the set-up's own registry values. Each formats one record, lets a
// fresh key and value parse it and reads or writes that one value.
#include "registry/setup_services.h"

#include "core/byte_order.h"
#include "registry/registry_key.h"
#include "registry/registry_record.h"
#include "registry/registry_value.h"

namespace {

// A record carries the key path and the name unchanged only when neither holds a character
// of the record's own syntax; anything else would read or write a different value.
bool CanCarry(const char* keyPath, const char* name) {
    return keyPath && name && RecordFieldsSafe(keyPath, name);
}

bool WriteRecord(const std::string& record) {
    RegistryKey key;
    RegistryValue value;
    return key.SetFromRecord(record.c_str()) && value.SetFromRecord(record.c_str()) &&
           value.Write(key);
}

bool ReadRecord(const char* keyPath, const char* name, RegistryValue& data) {
    if (!CanCarry(keyPath, name)) return false;
    TextValue record;
    RegistryKey key;
    return key.SetFromRecord(FormatText(record, kReadRecordFormat, keyPath, name).c_str()) &&
           data.Read(key, name);
}

bool ReadDwordRecord(const char* keyPath, const char* name, std::uint32_t& value) {
    RegistryValue data;
    // A REG_DWORD stored with fewer than four bytes has no number to give.
    if (!ReadRecord(keyPath, name, data) || data.type() != REG_DWORD || data.size() < 4)
        return false;
    value = LittleEndian32(data.data());
    return true;
}

}  // namespace

bool ReadClientDwordValue(const char* name, std::uint32_t& value) {
    return ReadDwordRecord(kClientKey, name, value);
}

namespace {

// Any REG_DWORD "DEBUG", whatever its number, turns the log on.
bool LogRequested() {
    std::uint32_t debug = 0;
    return ReadClientDwordValue("DEBUG", debug);
}

}  // namespace

SetupServices::SetupServices() : log_(LogRequested()) {}

SetupServices::~SetupServices() = default;

bool SetupServices::ReadClientDword(const char* name, std::uint32_t& value) {
    return ReadClientDwordValue(name, value);
}

// The client values' failed writes are dropped here, by design.
void SetupServices::WriteClientDword(const char* name, std::uint32_t value) {
    WriteRegistryDword(name, value, kClientKey);
}

void SetupServices::WriteClientString(const char* name, const char* text) {
    WriteRegistryString(name, text, kClientKey);
}

bool SetupServices::ReadRegistryString(const char* name, std::string& text, const char* keyPath) {
    RegistryValue data;
    if (!ReadRecord(keyPath ? keyPath : kProductKey, name, data)) return false;
    text = data.StringData();
    return true;
}

bool SetupServices::WriteRegistryString(const char* name, const char* text, const char* keyPath) {
    if (!keyPath) keyPath = kProductKey;
    if (!CanCarry(keyPath, name)) return false;
    TextValue record;
    return WriteRecord(
        FormatText(record, kStringWriteRecordFormat, keyPath, name, text ? text : ""));
}

bool SetupServices::ReadRegistryDword(const char* name, std::uint32_t& value, const char* keyPath) {
    return ReadDwordRecord(keyPath, name, value);
}

bool SetupServices::WriteRegistryDword(const char* name, std::uint32_t value, const char* keyPath) {
    if (!CanCarry(keyPath, name)) return false;
    TextValue record;
    return WriteRecord(FormatText(record, kDwordWriteRecordFormat, keyPath, name, value));
}
