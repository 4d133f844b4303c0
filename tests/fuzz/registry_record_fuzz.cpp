// The registry record grammar: key part, value part with its data, the hexadecimal
// number reader and the path helpers, over any line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "registry/registry_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string line(reinterpret_cast<const char*>(data), size);
    RecordKey key;
    if (ParseRecordKey(line, key)) {
        // A key that parsed is one a record can carry back unchanged.
        if (!RecordFieldsSafe(key.subkeyPath, "")) std::abort();
    }
    RecordValue value;
    if (ParseRecordValue(line, value)) {
        if (value.type == kTypeDword && value.data.size() != 4) std::abort();
    }
    std::string text(line.c_str());  // up to the first NUL, as a C string
    const char* end = nullptr;
    ParseHexNumber(text.c_str(), &end);
    if (end < text.c_str() || end > text.c_str() + text.size()) std::abort();
    std::size_t cut = line.find('|');
    RecordKey joined = KeyFromPath(line.substr(0, cut), cut == std::string::npos ? "" : line.substr(cut + 1));
    (void)joined;
    return 0;
}
