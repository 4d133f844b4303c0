// Record helpers of the set-up's own registry values. Each formats one record, lets a
// fresh key and value parse it and reads or writes that one value. Failed writes are
// silent by design: the set-up goes on without the value.
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

void WriteRecord(const std::string& record) {
    RegistryKey key;
    RegistryValue value;
    if (!key.SetFromRecord(record.c_str())) return;
    if (value.SetFromRecord(record.c_str())) value.Write(key);
}

}  // namespace

bool ReadClientDwordValue(const char* name, std::uint32_t& value) {
    if (!CanCarry(kClientKey, name)) return false;
    TextValue record;
    RegistryKey key;
    RegistryValue data;
    if (!key.SetFromRecord(FormatText(record, kReadRecordFormat, kClientKey, name).c_str()))
        return false;
    // A REG_DWORD stored with fewer than four bytes has no number to give.
    if (!data.Read(key, name) || data.type() != REG_DWORD || data.size() < 4) return false;
    value = LittleEndian32(data.data());
    return true;
}

SetupServices::SetupServices() = default;

SetupServices::~SetupServices() = default;

bool SetupServices::ReadClientDword(const char* name, std::uint32_t& value) {
    return ReadClientDwordValue(name, value);
}

void SetupServices::WriteClientDword(const char* name, std::uint32_t value) {
    if (!CanCarry(kClientKey, name)) return;
    TextValue record;
    WriteRecord(FormatText(record, kDwordWriteRecordFormat, kClientKey, name, value));
}

void SetupServices::WriteClientString(const char* name, const char* text) {
    if (!CanCarry(kClientKey, name)) return;
    TextValue record;
    WriteRecord(FormatText(record, kStringWriteRecordFormat, kClientKey, name, text ? text : ""));
}

bool SetupServices::ReadRegistryString(const char* name, std::string& text, const char* keyPath) {
    if (!keyPath) keyPath = kProductKey;
    if (!CanCarry(keyPath, name)) return false;
    TextValue record;
    RegistryKey key;
    RegistryValue data;
    if (!key.SetFromRecord(FormatText(record, kReadRecordFormat, keyPath, name).c_str()))
        return false;
    if (!data.Read(key, name)) return false;
    text = data.StringData();
    return true;
}
