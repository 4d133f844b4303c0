#include "description/component_error.h"

#include <cstring>

#include "core/text_value.h"

bool operator==(const InterfaceId& a, const InterfaceId& b) {
    return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 &&
           std::memcmp(a.data4, b.data4, sizeof a.data4) == 0;
}

ComponentError::ComponentError(std::int32_t result, const InterfaceId& iid)
    : result_(result), iid_(iid) {
    TextValue text;
    message_ = FormatText(
        text, "component error 0x%08lx on {%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
        static_cast<unsigned long>(static_cast<std::uint32_t>(result)),
        static_cast<unsigned long>(iid.data1), iid.data2, iid.data3, iid.data4[0], iid.data4[1],
        iid.data4[2], iid.data4[3], iid.data4[4], iid.data4[5], iid.data4[6], iid.data4[7]);
}
