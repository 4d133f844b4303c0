// The setup description "cd_client.qxml": the language section chosen for the user,
// with the English (United States) fallback, and the process-wide error page table.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "description/xml_document.h"

class SetupDescription {
public:
    SetupDescription() = default;
    virtual ~SetupDescription() = default;
    SetupDescription(const SetupDescription&) = delete;
    SetupDescription& operator=(const SetupDescription&) = delete;

    // Reads the file once at start-up; true when a language section was found.
    bool LoadSetupDescription();
    // One pass of the reader; 1 when a LANGUAGE element matched.
    int ReadDescription(bool englishPass);
    void ApplyLanguageAttributes(XmlNode* element);

    std::string languageKey;
    std::string subLanguageKey;
    std::string package;
    std::string resourceDll;
    std::string license;
    std::string firstVisit;
    std::string afterFirstVisit;
    std::string xmlRoot;
    std::string startPage;
    std::string contentRoot;
    std::string regPage;
    std::string infoPage;
    std::uint32_t subLanguageId = 0;
    std::uint32_t primaryLanguageId = 0;
    std::uint16_t userLangId = 0;
    XmlNode* rootNode = nullptr;      // not owned
    XmlNode* selectedNode = nullptr;  // not owned
    XmlDocument document;
};

// Upper-cased result code text ("0X806D0100") -> page.
using ErrorPageTable = std::map<std::string, std::string>;
ErrorPageTable& ProcessErrorPages();
void ReadErrorPages(XmlNode* element, ErrorPageTable& table);

// Joins a base folder or web address with a name and makes the result a full path.
std::string ResolvePath(const std::string& base, const std::string& name);
