// Key paths and record formats of the set-up's registry values.
#include "registry/setup_services.h"

const char kClientKey[] = "HKEY_LOCAL_MACHINE\\Software\\VORDA\\OrvalisToolKit\\ClientInstall";
// Spelled with upper-case TOOLKIT; registry paths ignore case, so it is the client key's parent.
const char kProductKey[] = "HKEY_LOCAL_MACHINE\\Software\\VORDA\\OrvalisTOOLKit";
const char kSystemKey[] = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion";
const char kSharedLibraryKey[] =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kClientSubkey[] = "Software\\VORDA\\OrvalisToolKit\\ClientInstall";

const char kReadRecordFormat[] = "[%s]\"%s\"";
const char kStringWriteRecordFormat[] = "[%s]\"%s\"=\"%s\"";
const char kDwordWriteRecordFormat[] = "[%s]\"%s\"=DWORD:%x";
