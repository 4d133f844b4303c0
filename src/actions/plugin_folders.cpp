#include "actions/plugin_folders.h"

#include <windows.h>

#include "core/handles.h"
#include "core/text_value.h"
#include "registry/key_handle.h"
#include "registry/registry_key.h"
#include "registry/registry_value.h"
#include "registry/setup_services.h"

const char kPluginLibraryFile[] = "\\NPVEX32.DLL";
const char kPluginClassFile[] = "\\NPVEX32.class";

namespace {

constexpr DWORD kFolderBufferSize = 260;

}  // namespace

// Every installed Navigator version is a subkey of the browser key; its plug-ins folder is
// the REG_SZ "PLUGINS DIRECTORY" of its subkey "MAIN". Numbers are used without gaps.
bool RecordPluginFolders(SetupServices& services) {
    RegistryKey browser("HKEY_LOCAL_MACHINE\\Software\\Netscape", "Netscape Navigator");
    if (!browser.EnumerateSubkeys(99, true)) return true;  // no browser: nothing to record
    unsigned number = 1;
    // The map holds the versions by upper-cased name, in byte-wise order.
    for (const auto& [versionName, version] : browser.subkeys()) {
        RegistryKey* main = version->FindSubkey("MAIN");
        if (!main) continue;
        RegistryValue* folder = main->FindValue("PLUGINS DIRECTORY");
        if (!folder || folder->type() != REG_SZ) continue;
        TextValue name;
        FormatText(name, "NPPath%u", number++);
        services.WriteClientString(name.c_str(), folder->StringData().c_str());
    }
    return true;
}

bool RecordedFolderReader::NextRecordedFolder(std::string& folder) {
    KeyHandle client;
    if (client.Open(HKEY_LOCAL_MACHINE, kClientSubkey, KEY_READ) != ERROR_SUCCESS) return false;
    TextValue name;
    FormatText(name, "NPPath%u", next_++);
    char data[kFolderBufferSize];
    DWORD size = kFolderBufferSize;
    // The type is not checked: whatever is stored there is taken as the folder.
    if (RegQueryValueExA(client.get(), name.c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
        return false;
    folder = TextBeforeNul(data, size);
    return true;
}

bool PluginFilesPresent() {
    RecordedFolderReader reader;
    std::string folder;
    while (reader.NextRecordedFolder(folder)) {
        // Whatever entry bears a plug-in file's name counts, a folder too.
        if (!PathExists(folder + kPluginLibraryFile, PathKind::FileOrFolder) ||
            !PathExists(folder + kPluginClassFile, PathKind::FileOrFolder))
            return false;
    }
    return true;
}
