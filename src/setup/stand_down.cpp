#include "setup/stand_down.h"

#include "actions/kit_classes.h"
#include "core/handles.h"

namespace {

constexpr DWORD kKitClassContext =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

// Clears the answer whatever the call did with it.
class ClearedVariant {
public:
    ClearedVariant() { VariantInit(&value); }
    ~ClearedVariant() { VariantClear(&value); }
    ClearedVariant(const ClearedVariant&) = delete;
    ClearedVariant& operator=(const ClearedVariant&) = delete;
    VARIANT value;
};

}  // namespace

bool StandDownQuery() {
    const KitClass* row = FindKitClass(1, 2);
    if (!row) return false;
    ComPtr<IKitState> component;
    if (FAILED(CoCreateInstance(row->classId, nullptr, kKitClassContext, row->interfaceId,
                                component.put_void())) ||
        !component)
        return false;

    ClearedVariant answer;  // VT_EMPTY until the component fills it
    HRESULT hr = component->QueryStandDown(&answer.value);
    // The low byte decides: VARIANT_TRUE is 0xFFFF, and the kit may answer any non-zero.
    return SUCCEEDED(hr) && answer.value.vt == VT_BOOL && (answer.value.boolVal & 0xFF) != 0;
}
