// One registry value: its name, type and data, parsed from a record or read from a key
// (win32 build).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class RegistryKey;

class RegistryValue {
public:
    RegistryValue() = default;
    virtual ~RegistryValue() = default;
    RegistryValue(const RegistryValue&) = delete;
    RegistryValue& operator=(const RegistryValue&) = delete;

    // Takes the value name and data of a registry record. Always discards the old data;
    // the name is replaced as soon as it has been read, even when the data is malformed.
    bool SetFromRecord(const char* record);

    // Writes the value through key, opening it (with creation) when it is not open and
    // closing it again afterwards. name, when given, becomes the value's name. A value
    // without data writes nothing and returns false.
    bool Write(RegistryKey& key, const char* name = nullptr);
    bool WriteTo(HKEY handle, const char* name);

    // Reads the value from key, opening it (without creation) when it is not open.
    bool Read(RegistryKey& key, const char* name);
    bool ReadFrom(HKEY handle, const char* name);

    const std::string& name() const { return name_; }
    DWORD type() const { return type_; }
    DWORD size() const { return size_; }
    bool hasData() const { return hasData_; }
    const BYTE* data() const { return hasData_ ? data_.data() : nullptr; }
    // The data as text up to its first NUL, never past its size: stored strings need not
    // end in one. Empty without data.
    std::string StringData() const;

private:
    void ClearData();

    std::string name_;
    std::vector<BYTE> data_;
    bool hasData_ = false;
    DWORD type_ = 0;
    DWORD size_ = 0;
};
