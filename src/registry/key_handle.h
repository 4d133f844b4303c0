// Holder of one open registry key handle (win32 build).
#pragma once

#include <windows.h>

#include "core/handles.h"

class KeyHandle {
public:
    KeyHandle() = default;
    virtual ~KeyHandle() = default;
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;

    // RegOpenKeyExA of path below base. On success the handle held before is closed and the
    // new one kept; on failure the old one stays. Returns the Windows error code (0 = success).
    LONG Open(HKEY base, const char* path, REGSAM access);

    HKEY get() const { return key_.get(); }
    explicit operator bool() const { return static_cast<bool>(key_); }

private:
    UniqueKey key_;
};
