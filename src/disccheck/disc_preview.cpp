#include "disccheck/disc_preview.h"

#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "core/product.h"
#include "core/text_value.h"
#include "description/setup_description.h"
#include "description/xml_document.h"
#include "disccheck/disc_check.h"
#include "disccheck/disc_files.h"
#include "disccheck/disc_rules.h"
#include "disccheck/picture_file.h"
#include "disccheck/preview_page.h"
#include "disccheck/screen_pictures.h"

namespace {

std::string AviOf(const XmlNode* node) {
    const XmlAttribute* avi = node ? node->FindAttribute("AVI") : nullptr;
    return avi ? "AVI=" + avi->value : std::string();
}

// Every folder of the path, from the drive or share on.
bool MakeFolders(const std::string& path, std::string& why) {
    std::size_t start = path.compare(0, 2, "\\\\") == 0 ? path.find('\\', path.find('\\', 2) + 1) : 2;
    for (std::size_t at = start; at != std::string::npos && at <= path.size();) {
        std::size_t next = path.find('\\', at + 1);
        std::string folder = path.substr(0, next == std::string::npos ? path.size() : next);
        if (folder.size() > 3 && !PathExists(folder, PathKind::Folder) && !CreateDirectoryA(folder.c_str(), nullptr) && !PathExists(folder, PathKind::Folder)) {
            why = folder + ": the folder cannot be made";
            return false;
        }
        at = next;
    }
    return true;
}

unsigned AnsiCodePageOf(unsigned langId) {
    char text[8] = "";
    GetLocaleInfoA(MAKELCID(langId, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE, text, sizeof text);
    unsigned codePage = static_cast<unsigned>(atoi(text));
    return codePage ? codePage : 1252;
}

struct Group {
    const UserView* view;
    std::unique_ptr<DiscReading> reading;
};

class Previewer {
public:
    Previewer(const DiscReport& report, std::string out) : report_(report), disc_(report.disc), out_(std::move(out)) {}

    bool Run(std::string& why) {
        if (!MakeFolders(out_, why)) return false;
        std::vector<std::string> keys;
        std::map<std::string, std::vector<Group>> byKey;
        for (const UserView& view : report_.users) {
            Group group{&view, ReadDiscFor(disc_, static_cast<std::uint16_t>(view.langId))};
            std::string key = KeyOf(group);
            if (!byKey.count(key)) keys.push_back(key);
            byKey[key].push_back(std::move(group));
        }
        std::vector<PictureSet> sets;
        for (const std::string& key : keys) {
            sets.push_back(Set(byKey[key], "set" + std::to_string(sets.size() + 1)));
        }
        return WriteWholeFile(out_ + "\\index.html", Recode(PreviewPage(report_, sets), CP_ACP, CP_UTF8), why);
    }

private:
    std::string Resolve(const std::string& name) const { return ResolvePath(disc_, name); }
    std::string OnDisc(const std::string& path) const {
        return LowerAnsi(path).compare(0, disc_.size() + 1, LowerAnsi(disc_ + "\\")) == 0 ? path.substr(disc_.size() + 1) : path;
    }

    // The library the set-up makes its resource instance: the section's, or its own.
    std::string LibraryOf(const SetupDescription& d) const {
        return d.resourceDll.empty() ? disc_ + "\\setup.exe" : Resolve(d.resourceDll);
    }

    // Users who get the same library, licence and clip see the same screens.
    std::string KeyOf(const Group& group) const {
        if (!group.reading->loaded) return "no section";
        const SetupDescription& d = *group.reading->description;
        return LowerAnsi(LibraryOf(d)) + "|" + LowerAnsi(d.license.empty() ? std::string() : Resolve(d.license)) + "|" +
               AviOf(d.selectedNode) + "|" + AviOf(d.rootNode);
    }

    PageLink Link(const std::string& what, const std::string& target) const {
        PageLink link{what, target, std::string(), false};
        if (target.empty()) return link;
        if (IsWebAddress(target)) {
            link.href = target.compare(0, 4, "www.") == 0 ? "http://" + target : target;
            return link;
        }
        std::string path = Resolve(target);
        link.href = RelativeLink(out_, path);
        link.missing = !PathExists(path, PathKind::File);
        return link;
    }

    PreviewGroup GroupOf(const Group& group) const {
        PreviewGroup g;
        g.user = group.view->user;
        g.langId = group.view->langId;
        for (const auto& field : group.view->fields) {
            if (field.first == "section") g.section = field.second;
        }
        if (!group.reading->loaded) return g;
        const SetupDescription& d = *group.reading->description;
        g.pages.push_back(Link("licence", d.license));
        g.pages.push_back(Link("first visit", d.firstVisit));
        g.pages.push_back(Link("after first visit", d.afterFirstVisit));
        for (std::int32_t code : kReportedOutcomes) {
            auto page = group.reading->pages.find(ErrorPageKeyForCode(code));
            char name[40];
            wsprintfA(name, "error page 0x%08lX", static_cast<unsigned long>(code));
            g.pages.push_back(Link(name, page == group.reading->pages.end() ? std::string() : page->second));
        }
        return g;
    }

    PictureSet Set(const std::vector<Group>& groups, const std::string& anchor) {
        PictureSet set;
        set.anchor = anchor;
        for (const Group& group : groups) set.groups.push_back(GroupOf(group));
        const Group& first = groups.front();
        std::vector<DrawnScreen> shots;
        std::string noScreens;
        if (!first.reading->loaded) {
            noScreens = "no section for these users and no English section: the set-up ends without a screen";
        } else {
            const SetupDescription& d = *first.reading->description;
            const std::string own = disc_ + "\\setup.exe";
            std::string path = LibraryOf(d);
            set.resources = OnDisc(path);
            DataLibrary library(path);
            if (!library && path != own) {
                set.notes.push_back(set.resources + " cannot be loaded: the set-up shows its own screens");
                library = DataLibrary(own);
                set.resources = "setup.exe";
            }
            char title[2] = "";
            if (!library) {
                noScreens = set.resources + " cannot be loaded: no screen can be drawn";
            } else if (LoadStringA(library.Module(), IDS_SETUP_TITLE, title, sizeof title) == 0) {
                noScreens = "string 1001 is missing in " + set.resources + ": the set-up ends before its first screen";
            } else {
                ScreenSource source;
                source.resources = &library;
                source.resourcesName = set.resources;
                source.licenceFile = d.license.empty() ? std::string() : Resolve(d.license);
                source.discFolder = disc_;
                source.rootNode = d.rootNode;
                source.selectedNode = d.selectedNode;
                shots = DrawScreens(source);
            }
            unsigned here = GetACP();
            for (const Group& group : groups) {
                // "all others" stands for every language without a section: no one code page.
                if (group.view->user == "all others") continue;
                unsigned theirs = AnsiCodePageOf(group.view->langId);
                if (theirs == here) continue;
                set.notes.push_back("texts are drawn in code page " + std::to_string(here) + " of this machine; " +
                                    group.view->user + " read them in code page " + std::to_string(theirs));
            }
        }
        if (shots.empty()) {
            for (const char* screen : {"splash", "welcome", "licence", "progress", "stop question"}) {
                DrawnScreen shot;
                shot.screen = screen;
                shot.reason = noScreens;
                shots.push_back(std::move(shot));
            }
        }
        for (DrawnScreen& shot : shots) set.screens.push_back(Save(shot, anchor));
        return set;
    }

    ScreenPicture Save(DrawnScreen& shot, const std::string& anchor) {
        ScreenPicture picture;
        picture.screen = shot.screen;
        picture.reason = shot.reason;
        picture.note = shot.note;
        picture.layout = shot.layout;
        if (!shot.picture) return picture;
        std::string stem = anchor + "-" + shot.screen;
        for (char& c : stem) c = c == ' ' ? '-' : c;
        std::string why;
        picture.file = writer_.Write(*shot.picture, out_, stem, why);
        picture.width = shot.picture->width();
        picture.height = shot.picture->height();
        picture.clientX = shot.clientOrigin.x;
        picture.clientY = shot.clientOrigin.y;
        if (picture.file.empty()) {
            picture.reason = why;
            return picture;
        }
        POINT origin = {0, 0};
        std::unique_ptr<Canvas> layout = DrawLayout(*shot.picture, shot.clientOrigin, shot.layout, origin);
        if (!layout) return picture;
        picture.layoutFile = writer_.Write(*layout, out_, stem + "-layout", why);
        picture.layoutWidth = layout->width();
        picture.layoutHeight = layout->height();
        picture.layoutClientX = origin.x;
        picture.layoutClientY = origin.y;
        return picture;
    }

    const DiscReport& report_;
    std::string disc_;
    std::string out_;
    PictureWriter writer_;
};

}  // namespace

bool WritePreview(const DiscReport& report, const std::string& outFolder, std::string& pagePath, std::string& why) {
    std::string out = FullPath(outFolder);
    while (out.size() > 3 && (out.back() == '\\' || out.back() == '/')) out.pop_back();
    pagePath = out + "\\index.html";
    return Previewer(report, out).Run(why);
}
