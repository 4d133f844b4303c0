// A registry key named by a root and a path, or by a parent and a name, with the subkeys
// and values that enumeration loads into memory (win32 build).
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "core/handles.h"
#include "registry/registry_value.h"

class RegistryKey {
public:
    using SubkeyMap = std::map<std::string, std::unique_ptr<RegistryKey>>;
    using ValueMap = std::map<std::string, std::unique_ptr<RegistryValue>>;

    // Empty: no root, no parent, no name; SetFromRecord gives it a root and a path.
    RegistryKey();
    // Child opened relative to parent; throws std::invalid_argument without parent or name.
    RegistryKey(RegistryKey* parent, const char* name);
    // From a path such as "HKEY_LOCAL_MACHINE\Software\Netscape" and an extra part joined
    // below it; an unknown root name means HKEY_LOCAL_MACHINE.
    RegistryKey(const std::string& path, const std::string& extra);
    virtual ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Takes the key part of a registry record; on success closes the key, drops the parent
    // and takes the record's root and path. On failure the key is unchanged.
    bool SetFromRecord(const char* record);

    // Closes the key, then opens subkey (default: the key's own name) below base (default:
    // the parent's handle, opening the parent without creation, or else the root).
    // With create, a key that cannot be opened is created.
    bool Open(REGSAM access, HKEY base = nullptr, const char* subkey = nullptr, bool create = false);
    bool Close();

    // Loads the subkeys (depth levels; 0 for the whole tree), with their values when
    // withValues is set. Ends with the key closed. Names of 128 characters or more are
    // skipped (they do not fit the name buffer); the entries after them still load.
    bool EnumerateSubkeys(int depth, bool withValues);
    // Loads the key's values. Ends with the key closed.
    bool EnumerateValues();

    // Loaded subkey or value by name, in any case; null when not loaded.
    RegistryKey* FindSubkey(const std::string& name) const;
    RegistryValue* FindValue(const std::string& name) const;

    const SubkeyMap& subkeys() const { return subkeys_; }
    const ValueMap& values() const { return values_; }
    HKEY handle() const { return handle_.get(); }
    bool isOpen() const { return static_cast<bool>(handle_); }
    RegistryKey* parent() const { return parent_; }
    const std::string& name() const { return name_; }
    HKEY root() const { return root_; }

private:
    UniqueKey handle_;
    ValueMap values_;
    SubkeyMap subkeys_;
    RegistryKey* parent_ = nullptr;
    std::string name_;
    HKEY root_ = nullptr;
};

// Access masks of every read and every write.
constexpr REGSAM kReadAccess = KEY_READ;
constexpr REGSAM kWriteAccess = KEY_READ | KEY_WRITE;
