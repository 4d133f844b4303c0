// The layout text of a skinned button and the rectangle text of a placed control, with
// and without a double-byte code page's lead bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "screens/skin_layout.h"

namespace {

bool ShiftJisLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    LayoutBox box;
    ParseLayoutText(text, box);
    ParseLayoutText(text, box, ShiftJisLead);
    ParseRectangleText(text, box);
    return 0;
}
