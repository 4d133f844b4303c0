// The win32 parser components behind XmlDocument::Load (win32 build only).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <string>

#include "description/component_error.h"
#include "description/xml_element_source.h"

struct IXMLDocument2;

namespace xml_win32 {

// The SDK's XML object model: CLSID_XMLDocument with IXMLDocument2. Null when the
// component or the interface is not there.
std::unique_ptr<XmlParser> CreateObjectModelParser();
// How long a load may take to complete: a disc drive that has to spin up takes seconds.
constexpr DWORD kDescriptionLoadWaitMs = 30000;
// The same over a document object the caller already has (it takes a reference of its
// own); a load that is not complete after loadWaitMs fails.
std::unique_ptr<XmlParser> ObjectModelParserOver(IXMLDocument2* document,
                                                 DWORD loadWaitMs = kDescriptionLoadWaitMs);
// The platform's XML DOM (DOMDocument, IXMLDOMDocument), copied by the same rules.
std::unique_ptr<XmlParser> CreateDomParser();

// Narrow text in the ANSI code page, as a freshly allocated wide component string.
BSTR AllocAnsiString(const std::string& text);
// A component string as narrow text; null or empty gives the empty text.
std::string NarrowText(BSTR text);
InterfaceId ToInterfaceId(const GUID& guid);

}  // namespace xml_win32
