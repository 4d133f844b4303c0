// The host build has no XML parser component: Load finds none (as when the component
// cannot be created) unless a test installs its own with XmlDocument::SetParserFactory.
#include <cstdio>

#include "description/xml_element_source.h"

std::unique_ptr<XmlParser> CreatePlatformXmlParser() {
    return nullptr;
}

void ShowAssertionBox() {
    std::fputs("Assertion\n", stderr);
}
