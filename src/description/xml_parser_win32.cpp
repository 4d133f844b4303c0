// The platform parser: the SDK's XML object model where it exists, else the XML DOM.
#include "description/xml_parser_win32.h"

#include <cstring>
#include <vector>

#include "core/text_value.h"

namespace xml_win32 {

BSTR AllocAnsiString(const std::string& text) {
    int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(size > 0 ? static_cast<std::size_t>(size) : 1u, L'\0');
    if (size > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), size);
    return SysAllocString(wide.data());
}

std::string NarrowText(BSTR text) {
    TextValue narrow;
    AssignWideText(narrow, text && SysStringLen(text) ? text : nullptr);
    return narrow.str();
}

InterfaceId ToInterfaceId(const GUID& guid) {
    InterfaceId id;
    id.data1 = guid.Data1;
    id.data2 = guid.Data2;
    id.data3 = guid.Data3;
    std::memcpy(id.data4, guid.Data4, sizeof id.data4);
    return id;
}

}  // namespace xml_win32

std::unique_ptr<XmlParser> CreatePlatformXmlParser() {
    // Wine's msxml3 has the XML document class but not its IXMLDocument2 interface; the DOM
    // of the same library reads the same files.
    if (std::unique_ptr<XmlParser> parser = xml_win32::CreateObjectModelParser()) return parser;
    return xml_win32::CreateDomParser();
}

void ShowAssertionBox() {
    // Owned by the active screen, or modal to all of this thread's windows when there is
    // none, so that it cannot sit behind the screens.
    HWND owner = GetActiveWindow();
    MessageBoxA(owner, "Assertion", "Assertion", MB_OK | (owner ? 0u : MB_TASKMODAL));
}
