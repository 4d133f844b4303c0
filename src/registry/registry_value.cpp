#include "registry/registry_value.h"

#include <algorithm>

#include "core/text_value.h"
#include "registry/registry_key.h"
#include "registry/registry_record.h"

void RegistryValue::ClearData() {
    data_.clear();
    hasData_ = false;
    type_ = 0;
    size_ = 0;
}

std::string RegistryValue::StringData() const {
    if (!hasData_) return {};
    return TextBeforeNul(reinterpret_cast<const char*>(data_.data()),
                         std::min<std::size_t>(size_, data_.size()));
}

bool RegistryValue::SetFromRecord(const char* record) {
    ClearData();
    if (!record) return false;
    RecordValue parsed;
    bool ok = ParseRecordValue(record, parsed);
    if (parsed.named) name_ = parsed.name;
    if (!ok || !parsed.hasData) return ok;
    data_ = std::move(parsed.data);
    hasData_ = true;
    type_ = parsed.type;
    size_ = static_cast<DWORD>(data_.size());
    return true;
}

bool RegistryValue::Write(RegistryKey& key, const char* name) {
    bool openedHere = false;
    if (!key.isOpen()) {
        key.Open(kWriteAccess, nullptr, nullptr, true);
        openedHere = true;
    }
    bool written = key.isOpen() && WriteTo(key.handle(), name);
    if (openedHere) key.Close();
    return written;
}

bool RegistryValue::WriteTo(HKEY handle, const char* name) {
    if (!handle) return false;
    if (name) name_ = name;
    if (!hasData_) return false;
    return RegSetValueExA(handle, name_.c_str(), 0, type_, data_.data(), size_) == ERROR_SUCCESS;
}

bool RegistryValue::Read(RegistryKey& key, const char* name) {
    bool openedHere = false;
    if (!key.isOpen()) {
        if (!key.Open(kReadAccess)) return false;
        openedHere = true;
    }
    bool read = ReadFrom(key.handle(), name);
    if (openedHere) key.Close();
    return read;
}

bool RegistryValue::ReadFrom(HKEY handle, const char* name) {
    if (!handle) return false;
    if (name) name_ = name;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(handle, name_.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;  // the old data stays
    ClearData();
    std::vector<BYTE> buffer(size);
    DWORD capacity = size;
    // The query writes at most `capacity` bytes; a value that grew meanwhile fails here.
    if (RegQueryValueExA(handle, name_.c_str(), nullptr, &type, size ? buffer.data() : nullptr,
                         &capacity) != ERROR_SUCCESS)
        return false;
    // With no buffer the second query only reports the size again.
    if (size == 0) capacity = 0;
    buffer.resize(capacity);
    data_ = std::move(buffer);
    hasData_ = true;
    type_ = type;
    size_ = capacity;
    return true;
}
