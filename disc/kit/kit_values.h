// What the sample kit's components read: the kit's registry values, the libraries they
// are asked about, and the conversions between ANSI text and VARIANTs.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace kit {

extern HINSTANCE moduleInstance;  // this server, set by DllMain

// Keys below HKEY_LOCAL_MACHINE.
extern const char kProductSubkey[];
extern const char kClientSubkey[];
extern const char kSharedLibrarySubkey[];
// The file name under which the kit installs this server.
extern const char kComponentLibraryName[];

// The server's own file name and its folder.
std::string ModulePath();
std::string ModuleFolder();

// Answers a registry value: REG_SZ and REG_EXPAND_SZ as VT_BSTR, REG_DWORD as VT_I4,
// anything else or a missing value as VT_EMPTY.
void AnswerRegistryValue(const char* subkey, const char* name, VARIANT* answer);

// A DWORD or string value; false when missing or of another type.
bool ReadDword(const char* subkey, const char* name, DWORD& value);
bool ReadString(const char* subkey, const char* name, std::string& text);
// True when the value exists, whatever its type; its type in type.
bool ValueType(const char* subkey, const char* name, DWORD& type);

void AnswerText(const std::string& text, VARIANT* answer);
void AnswerBool(bool value, VARIANT* answer);
void AnswerNumber(long value, VARIANT* answer);

// The text of any VARIANT that converts to a string; false when it does not.
bool ArgumentText(const VARIANT& argument, std::string& text);
bool ArgumentNumber(const VARIANT& argument, long& number);

// Full path of a library: a name with a folder is taken as it stands; a plain file name
// is looked for in this server's folder, then in the system folder; the component
// library's own name is this server. Empty when not found.
std::string FindLibrary(const std::string& fileName);

// "major.minor.build.revision" from a file's version resource; empty when it has none.
std::string FileVersionText(const std::string& path);

}  // namespace kit
