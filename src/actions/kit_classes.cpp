// The check that the installed kit's component classes of one group can be created.
#include "actions/kit_classes.h"

#include "core/handles.h"

bool CheckKitClasses(int group) {
    for (const KitClass& row : kKitClasses) {
        if (row.group != group) continue;
        ComPtr<IUnknown> object;
        if (FAILED(CoCreateInstance(row.classId, nullptr, kKitClassContext, row.interfaceId,
                                    object.put_void())) || !object)
            return false;
    }
    return true;
}
