#include "registry/registry_key.h"

#include <stdexcept>
#include <vector>

#include "core/platform.h"
#include "registry/registry_record.h"

namespace {

// Names of 128 characters or more do not fit: the enumeration skips them.
constexpr DWORD kNameBufferSize = 128;

HKEY RootHandle(std::uint32_t root) { return reinterpret_cast<HKEY>(RootKeyHandleValue(root)); }

// Hands each name an enumeration gives to `use`, index by index, until the enumeration ends
// or fails. `next` is RegEnumKeyExA or RegEnumValueA of one key, reduced to its index and
// name buffer. A name too long for the buffer is skipped; the later ones still count.
template <typename Next, typename Use>
void ForEachName(Next next, Use use) {
    for (DWORD index = 0;; ++index) {
        char name[kNameBufferSize];
        DWORD length = kNameBufferSize;
        LONG status = next(index, name, &length);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) break;
        use(std::string(name, length));
    }
}

}  // namespace

RegistryKey::RegistryKey() = default;

RegistryKey::RegistryKey(RegistryKey* parent, const char* name) {
    if (!parent || !name || !*name)
        throw std::invalid_argument("a child registry key needs a parent and a name");
    parent_ = parent;
    name_ = name;
}

RegistryKey::RegistryKey(const std::string& path, const std::string& extra) {
    RecordKey key = KeyFromPath(path, extra);
    root_ = RootHandle(key.root);
    name_ = key.subkeyPath;
}

RegistryKey::~RegistryKey() {
    // The own handle goes before the children and values.
    handle_.reset();
}

bool RegistryKey::SetFromRecord(const char* record) {
    RecordKey key;
    if (!record || !ParseRecordKey(record, key)) return false;
    handle_.reset();
    root_ = RootHandle(key.root);
    parent_ = nullptr;
    name_ = key.subkeyPath;
    return true;
}

bool RegistryKey::Open(REGSAM access, HKEY base, const char* subkey, bool create) {
    handle_.reset();
    const char* path = subkey ? subkey : name_.c_str();
    if (!base) {
        if (parent_) {
            // Parents are opened without creation: a missing parent stays missing.
            if (!parent_->isOpen() && !parent_->Open(access)) return false;
            base = parent_->handle();
        } else {
            base = root_;
        }
    }
    if (!base) return false;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(base, path, 0, access, &opened) == ERROR_SUCCESS) {
        handle_.reset(opened);
        return true;
    }
    if (create) {
        char emptyClass[] = "";
        DWORD disposition = 0;
        if (RegCreateKeyExA(base, path, 0, emptyClass, REG_OPTION_NON_VOLATILE, access, nullptr,
                            &opened, &disposition) == ERROR_SUCCESS) {
            handle_.reset(opened);
            return true;
        }
    }
    return false;
}

bool RegistryKey::Close() {
    handle_.reset();
    return true;
}

bool RegistryKey::EnumerateSubkeys(int depth, bool withValues) {
    if (withValues) EnumerateValues();
    if (!Open(kReadAccess)) return false;
    --depth;
    subkeys_.clear();
    HKEY key = handle_.get();
    ForEachName(
        [key](DWORD index, char* name, DWORD* length) {
            return RegEnumKeyExA(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
        },
        [&](const std::string& name) {
            std::string upper = platform::UpperCase(name);
            auto child = std::make_unique<RegistryKey>(this, upper.c_str());
            RegistryKey* loaded = child.get();
            subkeys_[upper] = std::move(child);
            // Below zero the count never reaches 0 again: depth 0 loads the whole tree.
            if (depth != 0) loaded->EnumerateSubkeys(depth, withValues);
        });
    Close();
    return true;
}

bool RegistryKey::EnumerateValues() {
    if (!Open(kReadAccess)) return false;
    values_.clear();
    HKEY key = handle_.get();
    ForEachName(
        [key](DWORD index, char* name, DWORD* length) {
            return RegEnumValueA(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
        },
        [&](const std::string& name) {
            auto value = std::make_unique<RegistryValue>();
            if (value->ReadFrom(key, name.c_str()))
                values_[platform::UpperCase(name)] = std::move(value);
        });
    Close();
    return true;
}

RegistryKey* RegistryKey::FindSubkey(const std::string& name) const {
    auto found = subkeys_.find(platform::UpperCase(name));
    return found == subkeys_.end() ? nullptr : found->second.get();
}

RegistryValue* RegistryKey::FindValue(const std::string& name) const {
    auto found = values_.find(platform::UpperCase(name));
    return found == values_.end() ? nullptr : found->second.get();
}
