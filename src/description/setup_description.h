// The setup description "cd_client.qxml": the language section chosen for the user,
// with the English (United States) fallback, and the process-wide error page table.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "core/product.h"
#include "description/xml_document.h"

// Upper-cased result code text ("0X806D0100") -> page.
using ErrorPageTable = std::map<std::string, std::string>;
ErrorPageTable& ProcessErrorPages();

class SetupDescription {
public:
    SetupDescription() = default;
    virtual ~SetupDescription() = default;
    SetupDescription(const SetupDescription&) = delete;
    SetupDescription& operator=(const SetupDescription&) = delete;

    // Reads the file once at start-up; true when a language section was found.
    bool LoadSetupDescription();
    // The same for a user whose default language identifier is langId.
    bool LoadSetupDescriptionFor(std::uint16_t langId);
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

    // Where the reader looks. The set-up reads "cd_client.qxml" as the XML component finds
    // it and the libraries next to itself, and fills the process-wide error pages; a disc
    // check reads a disc elsewhere, once per user it imagines.
    std::string descriptionFile = kDescriptionFileName;
    std::optional<std::string> libraryFolder;  // unset: the program's folder
    ErrorPageTable* errorPages = nullptr;      // unset: ProcessErrorPages()

private:
    ErrorPageTable& ErrorPages() { return errorPages ? *errorPages : ProcessErrorPages(); }
};

void ReadErrorPages(XmlNode* element, ErrorPageTable& table);
// The table key an ERROR_PAGE "KEY" is stored under: "DEFAULT" (exactly) stands for
// 0x806D0100, and every key is upper-cased.
std::string ErrorPageKey(const std::string& keyText);
// The key a result code is looked up with at exit: "0x%lx", upper-cased ("0X806D0100").
std::string ErrorPageKeyForCode(std::int32_t code);

// Whether text begins with the scheme letters "http" (secure or not), case counting:
// "HTTP://..." is a local name. ResolvePath joins such a base with "/".
bool BeginsWithHttp(const std::string& text);
// A page's web address: it begins with "http" as above or with "www.". It is opened as
// written, never looked for on the disc.
bool IsWebAddress(const std::string& target);

// Joins a base folder or web address with a name and makes the result a full path.
std::string ResolvePath(const std::string& base, const std::string& name);
