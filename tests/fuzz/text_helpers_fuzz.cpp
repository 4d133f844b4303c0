// The text and path helpers: the first input byte picks the delimiters and trim set out
// of the rest, so that sets and texts vary together.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/text_value.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::size_t setLength = data[0] % 8;
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string sets = rest.substr(0, setLength);
    std::string text = rest.substr(sets.size());
    std::string delimiters = sets.substr(0, sets.size() / 2).c_str();
    std::string trimSet = sets.substr(sets.size() / 2).c_str();

    TextValue source(text);
    std::vector<std::string> pieces = SplitText(source, delimiters.c_str(), trimSet.c_str());
    std::size_t total = 0;
    for (const std::string& piece : pieces) total += piece.size();
    if (total > text.size()) std::abort();
    SplitText(source, delimiters.c_str(), trimSet.c_str(), data[0] % 4);

    std::size_t half = text.size() / 2;
    TextValue joined;
    JoinPath(joined, text.substr(0, half), text.substr(half), '\\', trimSet.c_str());
    JoinPath(joined, text.substr(0, half), text.substr(half), '/', kPathTrimSet);

    TextValue trimmed(text);
    TrimText(trimmed, trimSet.c_str());
    if (trimmed.size() > text.size()) std::abort();

    TextValue formatted;
    FormatText(formatted, "%s", text.c_str());
    FormatText(formatted, "%s\\%s|%d", text.c_str(), trimSet.c_str(), static_cast<int>(size));
    TextValue upper(text);
    UpperCaseText(upper);
    return 0;
}
