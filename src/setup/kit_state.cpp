#include "setup/kit_state.h"

#include <objbase.h>

#include "actions/component_version.h"
#include "actions/kit_classes.h"
#include "actions/plugin_folders.h"
#include "core/handles.h"

namespace {

// Each class group is created inside a COM initialisation of its own, so that the kit's
// servers can be unloaded between the checks.
bool CheckKitGroup(int group, bool freeLibraries) {
    ComScope com;
    bool created = CheckKitClasses(group);
    if (freeLibraries) CoFreeUnusedLibraries();
    return created;
}

bool AllKitChecksPass() {
    if (!PluginFilesPresent()) return false;
    bool groupOne = CheckKitGroup(1, true);
    CoFreeUnusedLibraries();
    if (!groupOne) return false;
    if (!CheckKitGroup(2, false)) return false;
    return IsComponentCurrent();
}

}  // namespace

bool IsKitCurrent() {
    bool current = AllKitChecksPass();
    CoFreeUnusedLibraries();
    return current;
}
