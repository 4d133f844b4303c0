// A host stand-in for the platform's XML parser component over expat: Open reads and
// parses a real file, and the tree is offered through the same element interface the
// product copies its tree from. Elements only (type 0), each with its own text.
#pragma once

#include <memory>
#include <string>

#include "description/xml_element_source.h"

// Open's file names are taken relative to folder (the current folder when empty).
std::unique_ptr<XmlParser> CreateExpatXmlParser(const std::string& folder = std::string());
// A parser whose Open, whatever the name, parses the given bytes as the file's content.
std::unique_ptr<XmlParser> CreateExpatXmlParserOver(std::string content);
