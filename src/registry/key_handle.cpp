#include "registry/key_handle.h"

LONG KeyHandle::Open(HKEY base, const char* path, REGSAM access) {
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExA(base, path ? path : "", 0, access, &opened);
    if (status == ERROR_SUCCESS) key_.reset(opened);
    return status;
}
