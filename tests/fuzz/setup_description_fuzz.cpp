// The setup description reader over a tree that a real XML parser built from the input:
// language choice, English fallback, error pages and path resolution.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform_host.h"
#include "description/setup_description.h"
#include "expat_xml_parser.h"

namespace {

std::string& Input() {
    static std::string input;
    return input;
}

// Whatever name the reader opens, it gets the input.
std::unique_ptr<XmlParser> CreateParserOverInput() {
    return CreateExpatXmlParserOver(Input());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input().assign(reinterpret_cast<const char*>(data), size);
    XmlDocument::SetParserFactory(&CreateParserOverInput);
    // Odd sizes read as a Canadian French user, even ones as an American one.
    platform::host::SetUserDefaultLangId(size % 2 ? 0x0C0C : 0x0409);
    platform::host::SetModuleFileName("D:\\setup\\setup.exe");
    ProcessErrorPages().clear();
    {
        SetupDescription description;
        if (description.LoadSetupDescription()) {
            ResolvePath("D:\\setup", description.resourceDll);
            ResolvePath(description.regPage, description.package);
        }
    }
    ProcessErrorPages().clear();
    return 0;
}
