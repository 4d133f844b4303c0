#include "setup/stand_down.h"

#include "actions/kit_classes.h"
#include "core/handles.h"

bool StandDownQuery() {
    const KitClass* row = FindKitClass(1, 2);
    if (!row) return false;
    ComPtr<IKitState> component;
    if (FAILED(CoCreateInstance(row->classId, nullptr, kKitClassContext, row->interfaceId,
                                component.put_void())) ||
        !component)
        return false;

    ScopedVariant answer;  // VT_EMPTY until the component fills it; cleared whatever it holds
    HRESULT hr = component->QueryStandDown(&answer.value);
    // The low byte decides: VARIANT_TRUE is 0xFFFF, and the kit may answer any non-zero.
    return SUCCEEDED(hr) && answer.value.vt == VT_BOOL && (answer.value.boolVal & 0xFF) != 0;
}
