#include "disccheck/disc_check.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "core/product.h"
#include "core/text_value.h"
#include "description/language_table.h"
#include "description/setup_description.h"
#include "disccheck/disc_files.h"
#include "disccheck/disc_rules.h"
#include "registry/registry_script.h"

namespace {


// The attributes the reader takes, by element.
const std::vector<std::string> kRootAttributes = {"XML_ROOT", "CONTENT_ROOT", "REGPAGE", "INFOPAGE", "AVI"};
const std::vector<std::string> kSectionAttributes = {"KEY", "RESOURCEDLL", "PACKAGE", "LICENSE",
                                                     "FIRSTVISIT", "AFTER_FIRSTVISIT", "STARTPAGE",
                                                     "REGPAGE", "INFOPAGE", "AVI"};
const std::vector<std::string> kErrorPageAttributes = {"KEY", "PATH"};
const std::vector<std::string> kElements = {"LANGUAGE", "SUBLANGUAGE", "ERROR_PAGE"};

constexpr std::int32_t kElementType = 0;  // element type code of an element (not text or comment)

std::string Attribute(const XmlNode& node, const char* name) {
    const XmlAttribute* attribute = node.FindAttribute(name);
    return attribute ? attribute->value : std::string();
}

std::string Hex8(std::uint32_t code) {
    char text[16];
    wsprintfA(text, "0x%08lX", static_cast<unsigned long>(code));
    return text;
}

// "LANGUAGE LANG_FRENCH" or "SUBLANGUAGE SUBLANG_FRENCH_CANADIAN" or "root".
std::string ElementName(const XmlNode& node, bool isRoot) {
    if (isRoot) return "root element";
    std::string key = Attribute(node, "KEY");
    return node.tag + (key.empty() ? std::string() : " " + key);
}

class DiscChecker {
public:
    DiscChecker(std::string folder, DiscReport& report) : folder_(std::move(folder)), report_(report) {}

    bool Run(std::string& why);

private:
    using Simulation = DiscReading;
    struct User {
        std::string label;
        std::uint16_t langId;
    };

    std::unique_ptr<Simulation> Simulate(std::uint16_t langId);
    std::vector<User> UsersToShow();
    void ShowUser(const User& user);
    void CheckUsedFile(const std::string& what, const std::string& name, const std::string& user);
    std::string ClipFor(const SetupDescription& d, const std::string& user);
    void CheckLicence(const std::string& name, std::uint16_t langId, const std::string& user);
    void CheckPackage(const std::string& name);
    std::uint32_t SetupMachine() const;
    void CheckNamedFiles(const XmlNode& node, bool isRoot);
    void CheckErrorPages(const XmlNode& node);
    void CheckNames(const XmlNode& node, bool isRoot);
    void CheckLanguageKeys();
    void CheckLibraries();
    void CheckRegistryScripts();

    std::string Resolve(const std::string& name) const { return ResolvePath(folder_, name); }

    std::string folder_;
    DiscReport& report_;
    std::unique_ptr<Simulation> probe_;  // the tree the static checks walk
    LanguageTable names_;                // rows only: never looked up with operator[]
    std::set<std::string> usedFiles_;    // resolved paths some user gets (lower case)
    std::map<std::string, std::string> libraries_;  // resolved library -> users
    std::set<std::string> checkedLicences_, checkedPackages_;
};

std::unique_ptr<DiscChecker::Simulation> DiscChecker::Simulate(std::uint16_t langId) {
    return ReadDiscFor(folder_, langId);
}

bool DiscChecker::Run(std::string& why) {
    if (!PathExists(folder_, PathKind::Folder)) {
        why = folder_ + ": not a folder";
        return false;
    }
    WIN32_FIND_DATAA found;
    UniqueFind listing(FindFirstFileA((folder_ + "\\*").c_str(), &found));
    if (!listing) {
        why = folder_ + ": the folder cannot be read";
        return false;
    }
    if (!PathExists(folder_ + "\\" + kDescriptionFileName, PathKind::File)) {
        why = std::string(kDescriptionFileName) + ": not on the disc";
        return false;
    }
    probe_ = Simulate(0x0409);
    const XmlNode* root = probe_->description->rootNode;
    if (!root || (root->Children().empty() && root->Attributes().empty())) {
        why = std::string(kDescriptionFileName) + ": cannot be read as XML";
        return false;
    }
    report_.disc = folder_;

    for (const User& user : UsersToShow()) ShowUser(user);
    CheckNamedFiles(*root, true);
    CheckErrorPages(*root);
    CheckNames(*root, true);
    CheckLanguageKeys();
    CheckLibraries();
    CheckRegistryScripts();
    return true;
}

// Every primary language with a section, each of its sub-languages with a section, the
// rest of that language, and one user whose language has no section at all.
std::vector<DiscChecker::User> DiscChecker::UsersToShow() {
    LanguageTable table;
    std::vector<User> users;
    std::set<unsigned> primaries;
    XmlNode::ChildRange languages = probe_->description->rootNode->FindChildren("LANGUAGE");
    for (auto entry = languages.first; entry != languages.second; ++entry) {
        const XmlNode& language = *entry->second;
        if (!language.FindAttribute("KEY")) continue;
        std::string key = Attribute(language, "KEY");
        unsigned primary = table[key];
        // A key the table lacks counts 0 and matches no real user; an earlier section with
        // the same number is the only one ever considered.
        if (primary == 0 || !primaries.insert(primary).second) continue;
        std::set<unsigned> subs;
        XmlNode::ChildRange subLanguages = language.FindChildren("SUBLANGUAGE");
        for (auto sub = subLanguages.first; sub != subLanguages.second; ++sub) {
            if (!sub->second->FindAttribute("KEY")) continue;
            std::string subKey = Attribute(*sub->second, "KEY");
            unsigned number = table[subKey];
            if (number == 0 || number > 0x3F || !subs.insert(number).second) continue;
            users.push_back({key + " / " + subKey, static_cast<std::uint16_t>(number << 10 | primary)});
        }
        unsigned other = 1;
        while (subs.count(other) && other < 0x3F) ++other;
        users.push_back({key + (subs.empty() ? "" : " / other sub-languages"),
                         static_cast<std::uint16_t>(other << 10 | primary)});
    }
    unsigned nobody = 1;
    while (primaries.count(nobody) && nobody < 0x3FF) ++nobody;
    users.push_back({"all others", static_cast<std::uint16_t>(1u << 10 | nobody)});
    return users;
}

void DiscChecker::ShowUser(const User& user) {
    std::unique_ptr<Simulation> simulation = Simulate(user.langId);
    const SetupDescription& d = *simulation->description;
    UserView view;
    view.user = user.label;
    view.langId = user.langId;
    const std::string who = "users of " + user.label;

    std::string section = "none";
    if (d.selectedNode) {
        section = d.selectedNode->tag == "SUBLANGUAGE"
                      ? "LANGUAGE " + d.languageKey + " / SUBLANGUAGE " + Attribute(*d.selectedNode, "KEY")
                      : "LANGUAGE " + Attribute(*d.selectedNode, "KEY");
    }
    const std::uint16_t englishUs = 0x0409;
    bool englishPass = user.langId != englishUs
                           ? (d.primaryLanguageId == 9 && d.subLanguageId == 1)
                           : d.package.empty();
    view.fields.push_back({"section", section});
    view.fields.push_back({"English pass decided", englishPass ? "yes" : "no"});
    if (!simulation->loaded) {
        report_.Add(Severity::Error, "users", user.label,
                    "no section for this language and no English section: the set-up ends without a screen");
        report_.users.push_back(view);
        return;
    }

    std::string library = d.resourceDll.empty() ? "none (the set-up's own screens)" : d.resourceDll;
    view.fields.push_back({"resource library", library});
    if (!d.resourceDll.empty()) {
        std::string& users = libraries_[Resolve(d.resourceDll)];
        users += (users.empty() ? "" : ", ") + user.label;
    } else if (PathExists(folder_ + "\\setup.exe", PathKind::File)) {
        std::string& users = libraries_[folder_ + "\\setup.exe"];
        users += (users.empty() ? "" : ", ") + user.label;
    }

    view.fields.push_back({"package", d.package.empty() ? "none" : d.package});
    if (d.package.empty()) {
        report_.Add(Severity::Error, "package", user.label,
                    "no PACKAGE for these users: the progress screen cannot start the installation");
    } else {
        CheckUsedFile("package", d.package, who);
        CheckPackage(d.package);
    }

    view.fields.push_back({"licence", d.license.empty() ? "none" : d.license});
    if (d.license.empty()) {
        report_.Add(Severity::Error, "licence", user.label, "no LICENSE: the licence screen shows an empty panel");
    } else {
        CheckUsedFile("licence", d.license, who);
        CheckLicence(d.license, user.langId, user.label);
    }

    const std::pair<const char*, const std::string*> pages[] = {{"first visit", &d.firstVisit},
                                                                {"after first visit", &d.afterFirstVisit}};
    for (const auto& page : pages) {
        const std::string& target = *page.second;
        view.fields.push_back({page.first, target.empty() ? "none" : target});
        if (target.empty()) {
            report_.Add(Severity::Warning, "files", user.label, std::string("no ") + page.first + " page: none opens");
        } else if (!IsWebAddress(target)) {
            CheckUsedFile(page.first, target, who);
        }
    }
    view.fields.push_back({"splash", ClipFor(d, user.label)});

    for (std::int32_t code : kReportedOutcomes) {
        std::string name = "error page " + Hex8(static_cast<std::uint32_t>(code));
        auto page = simulation->pages.find(ErrorPageKeyForCode(code));
        if (page == simulation->pages.end() || page->second.empty()) {
            view.fields.push_back({name, "none"});
            report_.Add(Severity::Warning, "error pages", user.label,
                        "no page for " + Hex8(static_cast<std::uint32_t>(code)) + ": that failure ends silently");
            continue;
        }
        view.fields.push_back({name, page->second});
        if (!IsWebAddress(page->second)) CheckUsedFile(name, page->second, who);
    }
    report_.users.push_back(view);
}

// A file some user gets: it must be on the disc and be a file.
void DiscChecker::CheckUsedFile(const std::string& what, const std::string& name, const std::string& user) {
    std::string path = Resolve(name);
    usedFiles_.insert(LowerAnsi(path));
    if (LeavesDisc(folder_, name, path)) {
        report_.Add(Severity::Error, "files", name, what + " lies outside the disc (" + path + ")");
    } else if (PathExists(path, PathKind::Folder)) {
        report_.Add(Severity::Error, "files", name, what + " is a folder, not a file (" + user + ")");
    } else if (!PathExists(path, PathKind::File)) {
        report_.Add(Severity::Error, "files", name, what + " is missing (" + user + ")");
    }
}

// The clip the splash opens: the chosen section's, else the root's; the still picture
// without one.
std::string DiscChecker::ClipFor(const SetupDescription& d, const std::string& user) {
    const XmlNode* owners[] = {d.selectedNode, d.rootNode};
    std::vector<std::pair<std::string, std::string>> failed;  // clip, why
    std::string played;
    for (const XmlNode* owner : owners) {
        if (!owner || !owner->FindAttribute("AVI")) continue;
        std::string value = Attribute(*owner, "AVI");
        bool network = value.compare(0, 2, "\\\\") == 0;
        std::string path = network ? value : Resolve(value);
        usedFiles_.insert(LowerAnsi(path));
        std::optional<std::string> bytes = PathExists(path, PathKind::File) ? ReadWholeFile(path) : std::nullopt;
        ClipFacts facts = bytes ? ReadClipFacts(*bytes) : ClipFacts{};
        std::string problem = network ? "a network path, off the disc" : bytes ? facts.problem : "missing";
        if (problem.empty()) {
            played = value + " (" + std::to_string(facts.width) + " x " + std::to_string(facts.height) + ", " +
                     std::to_string(facts.frames) + " frames, " + CompressionName(facts.compression) + ")";
            break;
        }
        failed.push_back({value, problem});
    }
    // A section's clip that fails while the root element's plays only loses its own clip.
    for (const auto& f : failed) {
        if (played.empty()) {
            report_.Add(Severity::Error, "clip", f.first, f.second);
        } else {
            report_.Add(Severity::Warning, "clip", f.first, f.second + "; " + user + " get the root element's clip");
        }
    }
    if (!played.empty()) return played;
    return failed.empty() ? "still picture 224 (no clip named)" : "still picture 224 (no clip plays)";
}

void DiscChecker::CheckLicence(const std::string& name, std::uint16_t langId, const std::string& user) {
    std::optional<std::string> bytes = ReadWholeFile(Resolve(name));
    if (!bytes) return;  // reported as a missing file
    if (checkedLicences_.insert(name).second) {
        for (const std::string& problem : LicenceByteProblems(*bytes)) {
            report_.Add(Severity::Error, "licence", name, problem);
        }
    }
    // The text is shown in the user's ANSI code page, byte for byte.
    char codePageText[8] = "";
    GetLocaleInfoA(MAKELCID(langId, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE, codePageText, sizeof codePageText);
    unsigned codePage = static_cast<unsigned>(atoi(codePageText));
    if (codePage == 0) codePage = 1252;
    std::string shown = bytes->substr(0, std::min(bytes->size(), kLicenceLimit));
    shown = TextBeforeNul(shown.data(), shown.size());
    std::string where = " (code page " + std::to_string(codePage) + ", " + user + ")";
    if (codePage == 1252) {
        std::size_t at = FirstUndefinedIn1252(shown);
        if (at != std::string::npos) {
            report_.Add(Severity::Error, "licence", name,
                        "byte " + Hex8(static_cast<unsigned char>(shown[at])).substr(8) + " at offset " +
                            std::to_string(at) + " is no character of the ANSI code page" + where);
        }
    } else if (!shown.empty() &&
               MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, shown.data(), static_cast<int>(shown.size()),
                                   nullptr, 0) == 0) {
        report_.Add(Severity::Error, "licence", name, "holds bytes that are no text of the ANSI code page" + where);
    }
    if (codePage != CP_UTF8 && LooksLikeUtf8(shown)) {
        report_.Add(Severity::Error, "licence", name,
                    "is UTF-8 text: its accented letters show as pairs of stray characters" + where);
    }
}

// The processor the disc's set-up is built for (its PE machine field); a 32-bit x86 set-up
// when the disc carries none yet.
std::uint32_t DiscChecker::SetupMachine() const {
    std::optional<std::string> setup = ReadWholeFile(folder_ + "\\setup.exe");
    ImageFacts facts = setup ? ReadImageFacts(*setup) : ImageFacts{};
    return facts.isImage ? facts.machine : 0x14C;
}

// The package is a program the set-up can start; the set-up also waits for "_ISDel.exe"
// in the package's folder.
void DiscChecker::CheckPackage(const std::string& name) {
    if (!checkedPackages_.insert(name).second) return;
    std::string path = Resolve(name);
    std::optional<std::string> bytes = PathExists(path, PathKind::File) ? ReadWholeFile(path) : std::nullopt;
    if (!bytes) return;  // reported as a missing file
    ImageFacts facts = ReadImageFacts(*bytes);
    if (!facts.isImage) {
        report_.Add(Severity::Error, "package", name, "is not a Windows program: CreateProcessA cannot start it");
        return;
    }
    if (facts.IsLibrary()) {
        report_.Add(Severity::Error, "package", name, "is a library, not a program");
    } else if (facts.machine != SetupMachine()) {
        report_.Add(Severity::Error, "package", name,
                    "is built for another processor than the set-up: where the set-up runs, it may not start");
    }
    std::string packageFolder = path.substr(0, path.rfind('\\'));
    bool cleanUp = PathExists(packageFolder + "\\" + kPackageCleanupName, PathKind::File);
    report_.facts.push_back({"package " + name,
                             cleanUp ? "a Windows program; _ISDel.exe lies next to it, so the set-up waits for it too"
                                     : "a Windows program; no _ISDel.exe next to it: the set-up waits for one only "
                                       "if the package starts it from that folder"});
}

// Every name of a file in the description: a missing one that some user gets is reported
// where it is used; here the rest, which no user gets, and paths off the disc.
void DiscChecker::CheckNamedFiles(const XmlNode& node, bool isRoot) {
    static const char* const kFileAttributes[] = {"RESOURCEDLL", "PACKAGE", "LICENSE", "FIRSTVISIT",
                                                  "AFTER_FIRSTVISIT", "STARTPAGE", "REGPAGE", "INFOPAGE",
                                                  "AVI", "PATH"};
    const std::string element = ElementName(node, isRoot);
    if (isRoot) {
        for (const char* folderAttribute : {"XML_ROOT", "CONTENT_ROOT"}) {
            if (!node.FindAttribute(folderAttribute)) continue;
            std::string name = Attribute(node, folderAttribute);
            std::string path = Resolve(name);
            if (LeavesDisc(folder_, name, path)) {
                report_.Add(Severity::Error, "files", name, std::string(folderAttribute) + " lies outside the disc");
            } else if (!PathExists(path, PathKind::Folder)) {
                report_.Add(Severity::Warning, "files", name,
                            std::string(folderAttribute) + " names no folder on the disc (the set-up records it anyway)");
            }
        }
    }
    for (const char* attributeName : kFileAttributes) {
        if (!node.FindAttribute(attributeName)) continue;
        std::string name = Attribute(node, attributeName);
        bool page = std::string(attributeName).find("PAGE") != std::string::npos ||
                    std::string(attributeName).find("VISIT") != std::string::npos ||
                    std::string(attributeName) == "PATH";
        if (name.empty() || (page && IsWebAddress(name))) continue;
        bool network = std::string(attributeName) == "AVI" && name.compare(0, 2, "\\\\") == 0;
        std::string path = network ? name : Resolve(name);
        if (LeavesDisc(folder_, name, path)) {
            report_.Add(Severity::Error, "files", name, std::string(attributeName) + " on " + element + " lies outside the disc");
            continue;
        }
        if (usedFiles_.count(LowerAnsi(path)) || PathExists(path, PathKind::File)) continue;
        std::string what = std::string(attributeName) + " on " + element;
        if (std::string(attributeName) == "RESOURCEDLL") {
            report_.Add(Severity::Warning, "files", name,
                        what + " is missing: the section is ignored and its users get the English section");
        } else if (std::string(attributeName) == "AVI") {
            // Reported with the clip of the users who get it; an unused one is only noted.
            if (!PathExists(path, PathKind::File)) report_.Add(Severity::Warning, "files", name, what + " is missing; no user gets it");
        } else {
            report_.Add(Severity::Warning, "files", name,
                        what + (PathExists(path, PathKind::Folder) ? " is a folder" : " is missing") + "; no user gets it");
        }
    }
    for (const auto& child : node.Children()) {
        if (child.second->elementType == kElementType) CheckNamedFiles(*child.second, false);
    }
}

// ERROR_PAGE entries as the reader finds them under each section.
void DiscChecker::CheckErrorPages(const XmlNode& node) {
    for (const auto& child : node.Children()) {
        const XmlNode& section = *child.second;
        if (child.first != "LANGUAGE" && child.first != "SUBLANGUAGE") continue;
        const std::string where = ElementName(section, false);
        std::map<std::string, std::string> seen;  // stored key -> its PATH
        XmlNode::ChildRange entries = section.FindDescendants("ERROR_PAGE");
        for (auto entry = entries.first; entry != entries.second; ++entry) {
            const XmlNode& page = *entry->second;
            std::string key;
            std::string path;
            if (!page.GetAttribute("KEY", key, false)) {
                report_.Add(Severity::Error, "error pages", "ERROR_PAGE in " + where, "has no KEY and is ignored");
                continue;
            }
            if (!page.GetAttribute("PATH", path, false)) {
                report_.Add(Severity::Error, "error pages", "ERROR_PAGE KEY " + key + " in " + where,
                            "has no PATH and stores nothing");
                continue;
            }
            ErrorPageKeyFacts facts = ClassifyErrorPageKey(key);
            if (!facts.canMatch) {
                report_.Add(Severity::Error, "error pages", "KEY " + key + " in " + where,
                            "can never match: " + facts.why);
            } else if (!facts.setupReportsIt) {
                report_.Add(Severity::Warning, "error pages", "KEY " + key + " in " + where,
                            "the set-up never reports this code (it reports 0x806D0100 and 0x806D0101)");
            }
            auto earlier = seen.find(facts.stored);
            if (earlier != seen.end()) {
                report_.Add(Severity::Warning, "error pages", "KEY " + key + " in " + where,
                            "given twice: " + path + " wins over " + earlier->second);
            }
            seen[facts.stored] = path;
        }
        if (child.first == "LANGUAGE") CheckErrorPages(section);
    }
}

// Elements and attributes the reader ignores.
void DiscChecker::CheckNames(const XmlNode& node, bool isRoot) {
    const std::vector<std::string>& known =
        isRoot ? kRootAttributes : node.tag == "ERROR_PAGE" ? kErrorPageAttributes : kSectionAttributes;
    const std::string where = ElementName(node, isRoot);
    for (const auto& attribute : node.Attributes()) {
        const std::string& name = attribute.first;
        if (std::find(known.begin(), known.end(), name) != known.end()) continue;
        std::size_t distance = 0;
        std::string closest = ClosestName(name, known, &distance);
        bool misspelt = LikelyMisspelling(name, closest, distance);
        report_.Add(misspelt ? Severity::Error : Severity::Warning, "unknown", name + " on " + where,
                    "attribute the set-up ignores" + (misspelt ? "; did you mean " + closest + "?"
                                                               : " (closest known: " + closest + ")"));
    }
    const char* expected = isRoot ? "LANGUAGE" : node.tag == "LANGUAGE" ? "SUBLANGUAGE" : nullptr;
    for (const auto& child : node.Children()) {
        const XmlNode& element = *child.second;
        if (element.elementType != kElementType || element.tag.empty()) continue;
        const std::string& tag = element.tag;
        bool errorPageHere = tag == "ERROR_PAGE" && !isRoot;
        if ((expected && tag == expected) || errorPageHere) {
            CheckNames(element, false);
            continue;
        }
        std::size_t distance = 0;
        std::string closest = ClosestName(tag, kElements, &distance);
        if (std::find(kElements.begin(), kElements.end(), tag) != kElements.end()) {
            report_.Add(Severity::Error, "unknown", tag + " in " + where,
                        "element the set-up does not read here (LANGUAGE belongs below the root, "
                        "SUBLANGUAGE inside a LANGUAGE, ERROR_PAGE inside either)");
            continue;
        }
        bool misspelt = LikelyMisspelling(tag, closest, distance);
        report_.Add(misspelt ? Severity::Error : Severity::Warning, "unknown", tag + " in " + where,
                    "element the set-up ignores" + (misspelt ? "; did you mean " + closest + "?"
                                                             : " (closest known: " + closest + ")"));
    }
}

// KEY values: names of the language table, in the right kind, each number once.
void DiscChecker::CheckLanguageKeys() {
    std::vector<std::string> primaryNames, subNames;
    for (const auto& row : names_.Rows()) {
        (row.first.compare(0, 8, "SUBLANG_") == 0 ? subNames : primaryNames).push_back(row.first);
    }
    LanguageTable table;
    auto checkKey = [&](const XmlNode& element, bool sub, std::map<unsigned, std::string>& seen) {
        if (!element.FindAttribute("KEY")) {
            report_.Add(Severity::Warning, "unknown", element.tag + " without KEY", "never matches; it is skipped");
            return;
        }
        std::string key = Attribute(element, "KEY");
        if (!names_.Rows().count(key)) {
            std::string closest = ClosestName(key, sub ? subNames : primaryNames);
            report_.Add(Severity::Error, "unknown", "KEY " + key,
                        "names no language constant, so it counts 0 and matches no user; did you mean " + closest + "?");
            return;
        }
        bool subName = key.compare(0, 8, "SUBLANG_") == 0;
        unsigned number = table[key];
        if (subName != sub) {
            report_.Add(Severity::Warning, "unknown", "KEY " + key + " on " + element.tag,
                        std::string("names a ") + (subName ? "sub-language" : "primary language") +
                            " constant; it matches by its number, " + std::to_string(number));
        }
        auto earlier = seen.find(number);
        if (earlier != seen.end()) {
            report_.Add(Severity::Warning, "users", element.tag + " KEY " + key,
                        "never considered: " + earlier->second + " matches the same users first");
        } else {
            seen[number] = element.tag + " " + key;
        }
    };
    std::map<unsigned, std::string> languages;
    XmlNode::ChildRange range = probe_->description->rootNode->FindChildren("LANGUAGE");
    for (auto entry = range.first; entry != range.second; ++entry) {
        checkKey(*entry->second, false, languages);
        std::map<unsigned, std::string> subs;
        XmlNode::ChildRange subRange = entry->second->FindChildren("SUBLANGUAGE");
        for (auto sub = subRange.first; sub != subRange.second; ++sub) checkKey(*sub->second, true, subs);
    }
}

void DiscChecker::CheckLibraries() {
    for (const auto& library : libraries_) {
        const std::string& path = library.first;
        bool onDisc = LowerAnsi(path).compare(0, folder_.size() + 1, LowerAnsi(folder_ + "\\")) == 0;
        std::string name = onDisc ? path.substr(folder_.size() + 1) : path;
        DataLibrary data(library.first);
        if (!data) {
            report_.Add(Severity::Error, "libraries", name, "cannot be loaded as a resource library");
            continue;
        }
        CheckResourceLibrary(name, data, library.second, report_);
    }
}

// The scripts the worker imports from the set-up's folder after the package has run.
void DiscChecker::CheckRegistryScripts() {
    for (const char* script : kRegistryScripts) {
        std::string path = folder_ + "\\" + script;
        if (!PathExists(path, PathKind::File)) {
            report_.facts.push_back({script, "not on the disc (nothing imported)"});
            continue;
        }
        std::optional<std::string> bytes = ReadWholeFile(path);
        RegistryScript parsed = ParseRegistryScript(bytes ? *bytes : std::string());
        if (!parsed.recognised) {
            report_.Add(Severity::Error, "registry scripts", script,
                        "not a registry script: the first line must be REGEDIT4 or "
                        "\"Windows Registry Editor Version 5.00\"; the registry editor imports nothing");
            continue;
        }
        for (const std::string& problem : parsed.problems) {
            report_.Add(Severity::Error, "registry scripts", script, problem);
        }
        std::string keys;
        for (const RegistryScriptKey& key : parsed.keys) {
            keys += (keys.empty() ? "" : "; ") + std::string(key.deleted ? "deletes " : "") + key.path;
            if (!key.values.empty()) {
                keys += " (";
                for (std::size_t i = 0; i < key.values.size(); ++i) keys += (i ? ", " : "") + key.values[i];
                keys += ")";
            }
        }
        report_.facts.push_back({script, keys.empty() ? "writes no key" : "writes " + keys});
    }
}

}  // namespace

std::unique_ptr<DiscReading> ReadDiscFor(const std::string& folder, std::uint16_t langId) {
    auto reading = std::make_unique<DiscReading>();
    reading->description = std::make_unique<SetupDescription>();
    SetupDescription& d = *reading->description;
    d.descriptionFile = folder + "\\" + kDescriptionFileName;
    d.libraryFolder = folder;
    d.errorPages = &reading->pages;
    reading->loaded = d.LoadSetupDescriptionFor(langId);
    return reading;
}

bool CheckDisc(const std::string& folder, DiscReport& report, std::string& why) {
    std::string full = FullPath(folder);
    while (full.size() > 3 && (full.back() == '\\' || full.back() == '/')) full.pop_back();
    DiscChecker checker(full, report);
    return checker.Run(why);
}
