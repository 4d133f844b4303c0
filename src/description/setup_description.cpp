#include "description/setup_description.h"

#include "core/platform.h"
#include "core/result_codes.h"
#include "core/text_value.h"
#include "description/language_table.h"

namespace {

constexpr int kDepthLimit = 99;

// Copies the attribute's value into field when the element has it; else leaves field alone.
void CopyAttribute(const XmlNode& element, const char* name, std::string& field) {
    if (const XmlAttribute* attribute = element.FindAttribute(name)) field = attribute->value;
}

}  // namespace

bool SetupDescription::LoadSetupDescription() {
    return LoadSetupDescriptionFor(platform::UserDefaultLangId());
}

bool SetupDescription::LoadSetupDescriptionFor(std::uint16_t langId) {
    userLangId = langId;
    primaryLanguageId = userLangId & 0x3FFu;
    subLanguageId = static_cast<std::uint32_t>(userLangId) >> 10;
    return ReadDescription(false) != 0;
}

int SetupDescription::ReadDescription(bool englishPass) {
    LanguageTable table;
    int loaded = 1;
    if (!englishPass) {
        loaded = document.Load(descriptionFile.c_str(), kDepthLimit, true);
        rootNode = document.Root();
    } else {
        // The English pass reuses the tree and keeps every field it does not overwrite.
        primaryLanguageId = table["LANG_ENGLISH"];
        subLanguageId = table["SUBLANG_ENGLISH_US"];
    }
    if (!rootNode || !loaded) return 0;

    CopyAttribute(*rootNode, "XML_ROOT", xmlRoot);
    CopyAttribute(*rootNode, "CONTENT_ROOT", contentRoot);
    CopyAttribute(*rootNode, "REGPAGE", regPage);
    CopyAttribute(*rootNode, "INFOPAGE", infoPage);

    int result = 0;
    package.clear();
    XmlNode::ChildRange languages = rootNode->FindChildren("LANGUAGE");
    for (auto entry = languages.first; entry != languages.second; ++entry) {
        XmlNode* language = entry->second.get();
        const XmlAttribute* key = language->FindAttribute("KEY");
        if (!key) continue;
        languageKey = key->value;
        if (table[languageKey] != primaryLanguageId) continue;

        selectedNode = language;
        ApplyLanguageAttributes(language);
        result = 1;
        XmlNode::ChildRange subLanguages = language->FindChildren("SUBLANGUAGE");
        for (auto sub = subLanguages.first; sub != subLanguages.second; ++sub) {
            XmlNode* subLanguage = sub->second.get();
            const XmlAttribute* subKey = subLanguage->FindAttribute("KEY");
            if (!subKey) continue;
            subLanguageKey = subKey->value;
            if (table[subLanguageKey] != subLanguageId) continue;
            selectedNode = subLanguage;
            ApplyLanguageAttributes(subLanguage);
            ReadErrorPages(subLanguage, ErrorPages());
            break;
        }
        if (ErrorPages().empty()) ReadErrorPages(language, ErrorPages());
        // Only the first element whose key matches is ever considered.
        break;
    }

    if (package.empty() && !englishPass) return ReadDescription(true);
    return result;
}

void SetupDescription::ApplyLanguageAttributes(XmlNode* element) {
    if (!element) return;
    const XmlAttribute* library = element->FindAttribute("RESOURCEDLL");
    if (!library) return;
    std::optional<std::string> folder = libraryFolder ? libraryFolder : ProgramFolder();
    std::string path = folder ? ResolvePath(*folder, library->value) : std::string();
    // An element counts only when its resource library is really there.
    if (!PathExists(path, PathKind::File)) return;
    resourceDll = library->value;
    CopyAttribute(*element, "PACKAGE", package);
    CopyAttribute(*element, "LICENSE", license);
    CopyAttribute(*element, "FIRSTVISIT", firstVisit);
    CopyAttribute(*element, "AFTER_FIRSTVISIT", afterFirstVisit);
    CopyAttribute(*element, "STARTPAGE", startPage);
    CopyAttribute(*element, "REGPAGE", regPage);
    CopyAttribute(*element, "INFOPAGE", infoPage);
}

ErrorPageTable& ProcessErrorPages() {
    static ErrorPageTable table;
    return table;
}

void ReadErrorPages(XmlNode* element, ErrorPageTable& table) {
    if (!element) return;
    XmlNode::ChildRange pages = element->FindDescendants("ERROR_PAGE");
    for (auto entry = pages.first; entry != pages.second; ++entry) {
        const XmlNode& page = *entry->second;
        std::string keyText;
        if (!page.GetAttribute("KEY", keyText, false)) continue;
        std::string path;
        if (page.GetAttribute("PATH", path, false)) table[ErrorPageKey(keyText)] = path;
    }
}

std::string ErrorPageKey(const std::string& keyText) {
    if (keyText == "DEFAULT") return ErrorPageKeyForCode(SETUP_E_DEFAULT);
    TextValue key(keyText);
    UpperCaseText(key);
    return key.str();
}

std::string ErrorPageKeyForCode(std::int32_t code) {
    TextValue key;
    FormatText(key, "0x%lx", static_cast<unsigned long>(static_cast<std::uint32_t>(code)));
    UpperCaseText(key);
    return key.str();
}

bool BeginsWithHttp(const std::string& text) { return text.compare(0, 4, "http") == 0; }

bool IsWebAddress(const std::string& target) {
    return BeginsWithHttp(target) || target.compare(0, 4, "www.") == 0;
}

std::string ResolvePath(const std::string& base, const std::string& name) {
    // A base of "www." alone is a folder name: only a scheme makes a base an address.
    bool webAddress = BeginsWithHttp(base);
    TextValue joined;
    JoinPath(joined, base, name, webAddress ? '/' : '\\', kPathTrimSet);
    // A web address is no file path: GetFullPathNameA would turn "http://host/page" into
    // "<current folder>\http:\host\page", which no browser can open.
    if (webAddress) return joined.str();
    return FullPath(joined.str());
}
