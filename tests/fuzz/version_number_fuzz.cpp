// The dotted version number of the kit's checker component.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/text_value.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    ParseVersionNumber(text.c_str());
    return 0;
}
