#include "disccheck/preview_page.h"

#include <cctype>
#include <cstdio>

namespace {

const char kStyle[] =
    "body{font-family:Verdana,Arial,sans-serif;font-size:13px;margin:16px;color:#222}"
    "h1{font-size:20px}h2{font-size:16px;margin-top:24px;border-bottom:1px solid #ccc}"
    "h3{font-size:14px;margin-bottom:4px}table{border-collapse:collapse;margin:6px 0}"
    "td,th{border:1px solid #ccc;padding:2px 6px;text-align:left;vertical-align:top}"
    ".error{color:#c00}.warning{color:#a60}.missing{color:#c00}"
    ".screens{display:flex;flex-wrap:wrap;gap:10px;align-items:flex-start}"
    "figure{margin:0;padding:6px;border:1px solid #ddd;background:#fafafa;width:220px}"
    "figcaption{font-weight:bold;margin-bottom:4px}figure img{display:block;width:220px;height:auto;margin-bottom:4px}"
    ".reason{color:#c00}.note{color:#555;margin:2px 0}summary{cursor:pointer;color:#555}"
    "table.layout td,table.layout th{font-size:11px;padding:1px 3px}tr.fault td{color:#c00;font-weight:bold}";

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFFu);
    return text;
}

std::string FindingItem(const Finding& f) {
    return "<li class=\"" + std::string(f.severity == Severity::Error ? "error" : "warning") + "\">[" +
           HtmlText(f.check) + "] " + HtmlText(f.subject) + ": " + HtmlText(f.message) + "</li>\n";
}

std::string LinkCell(const PageLink& page) {
    std::string out = "<td>";
    if (page.target.empty()) {
        out += "none";
    } else if (page.href.empty()) {
        out += HtmlText(page.target);
    } else {
        out += "<a href=\"" + HtmlText(page.href) + "\">" + HtmlText(page.target) + "</a>";
    }
    if (page.missing) out += " <span class=\"missing\">(missing)</span>";
    return out + "</td>";
}

std::string LayoutTable(const ScreenLayout& layout) {
    if (layout.items.empty()) return std::string();
    std::string out = "<table class=\"layout\"><tr><th>control</th><th>caption</th><th>key</th><th>tab</th>"
                      "<th>rectangle</th><th>fault</th></tr>\n";
    for (const LayoutItem& item : layout.items) {
        std::string faults;
        for (const std::string& fault : item.faults) faults += (faults.empty() ? "" : "; ") + fault;
        out += std::string("<tr") + (item.faults.empty() ? "" : " class=\"fault\"") + "><td>" +
               HtmlText(item.Label()) + "</td><td>" + HtmlText(item.name) + "</td><td>" +
               (item.mnemonic.empty() ? "none" : "Alt+" + HtmlText(item.mnemonic)) + "</td><td>" +
               (item.tabPosition ? std::to_string(item.tabPosition) : "-") + "</td><td>" +
               HtmlText(BoxText(item.box)) + "</td><td>" + HtmlText(faults) + "</td></tr>\n";
    }
    return out + "</table>\n";
}

std::string Image(const char* kind, const std::string& file, int width, int height, const std::string& alt) {
    return std::string("<img class=\"") + kind + "\" src=\"" + HtmlText(RelativeLink("", file)) + "\" width=\"" +
           std::to_string(width) + "\" height=\"" + std::to_string(height) + "\" alt=\"" + HtmlText(alt) + "\"";
}

// Where the screen's client area begins in a picture, for whoever measures it.
std::string Client(int x, int y) { return " data-client=\"" + std::to_string(x) + "," + std::to_string(y) + "\""; }

// A picture at a glance's size, leading to itself at full size.
std::string Shown(const char* kind, const std::string& file, int width, int height, const std::string& alt, int x,
                  int y) {
    return "<a href=\"" + HtmlText(RelativeLink("", file)) + "\">" + Image(kind, file, width, height, alt) +
           Client(x, y) + "></a>\n";
}

std::string Screen(const ScreenPicture& s) {
    std::string out = "<figure class=\"screen" + std::string(s.file.empty() ? " none" : "") + "\" data-screen=\"" +
                      HtmlText(s.screen) + "\"><figcaption>" + HtmlText(s.screen) + "</figcaption>\n";
    if (s.file.empty()) return out + "<p class=\"reason\">No picture: " + HtmlText(s.reason) + "</p></figure>\n";
    out += Shown("picture", s.file, s.width, s.height, s.screen, s.clientX, s.clientY);
    if (!s.layoutFile.empty()) {
        out += Shown("layout", s.layoutFile, s.layoutWidth, s.layoutHeight, s.screen + " with its layout",
                     s.layoutClientX, s.layoutClientY);
    }
    if (!s.note.empty()) out += "<p class=\"note\">" + HtmlText(s.note) + "</p>\n";
    if (s.layout.items.empty()) return out + "</figure>\n";
    int faults = 0;
    for (const LayoutItem& item : s.layout.items) faults += !item.faults.empty();
    // Open where something is wrong, folded otherwise.
    out += std::string("<details") + (faults ? " open" : "") + "><summary>layout: " +
           std::to_string(s.layout.items.size()) + (s.layout.items.size() == 1 ? " rectangle, " : " rectangles, ") +
           (faults ? "<span class=\"error\">" + std::to_string(faults) + " wrong</span>" : "none wrong") +
           "</summary>\n" + LayoutTable(s.layout) + "</details>\n";
    return out + "</figure>\n";
}

std::string Set(const PictureSet& set) {
    std::string users;
    for (const PreviewGroup& g : set.groups) users += (users.empty() ? "" : ", ") + g.user;
    std::string out = "<section class=\"set\" id=\"" + HtmlText(set.anchor) + "\">\n<h3>" + HtmlText(users) +
                      "</h3>\n<p class=\"note\">Screens from " + HtmlText(set.resources) + "</p>\n";
    for (const std::string& note : set.notes) out += "<p class=\"note\">" + HtmlText(note) + "</p>\n";
    out += "<div class=\"screens\">\n";
    for (const ScreenPicture& s : set.screens) out += Screen(s);
    out += "</div>\n<table class=\"groups\"><tr><th>users</th><th>section</th>";
    // The columns: what the first user of the set gets, the same for every one of them.
    const std::vector<PageLink>* columns = nullptr;
    for (const PreviewGroup& g : set.groups) {
        if (!g.pages.empty()) columns = &g.pages;
    }
    if (columns) {
        for (const PageLink& page : *columns) out += "<th>" + HtmlText(page.what) + "</th>";
    }
    out += "</tr>\n";
    for (const PreviewGroup& g : set.groups) {
        out += "<tr><td class=\"group\">" + HtmlText(g.user) + " (" + Hex4(g.langId) + ")</td><td>" +
               HtmlText(g.section) + "</td>";
        for (const PageLink& page : g.pages) out += LinkCell(page);
        out += "</tr>\n";
    }
    return out + "</table>\n</section>\n";
}

}  // namespace

std::string HtmlText(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string RelativeLink(const std::string& fromFolder, const std::string& target) {
    auto parts = [](const std::string& path) {
        std::vector<std::string> pieces;
        std::string piece;
        for (char c : path) {
            if (c == '\\' || c == '/') {
                if (!piece.empty()) pieces.push_back(piece);
                piece.clear();
            } else {
                piece += c;
            }
        }
        if (!piece.empty()) pieces.push_back(piece);
        return pieces;
    };
    auto same = [](const std::string& a, const std::string& b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
                return false;
        }
        return true;
    };
    auto escape = [](const std::string& piece) {
        std::string out;
        for (char c : piece) {
            if (c == ' ' || c == '#' || c == '%' || c == '?') {
                char hex[4];
                std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
                out += hex;
            } else {
                out += c;
            }
        }
        return out;
    };
    std::vector<std::string> from = parts(fromFolder), to = parts(target);
    bool share = target.compare(0, 2, "\\\\") == 0;
    std::string link;
    if (fromFolder.empty() || from.empty() || to.empty() || !same(from[0], to[0]) ||
        share != (fromFolder.compare(0, 2, "\\\\") == 0)) {
        if (fromFolder.empty()) {
            // A name in the page's own folder.
            for (std::size_t i = 0; i < to.size(); ++i) link += (i ? "/" : "") + escape(to[i]);
            return link;
        }
        link = share ? "file://" : "file:///";
        for (std::size_t i = 0; i < to.size(); ++i) link += (i ? "/" : "") + escape(to[i]);
        return link;
    }
    std::size_t common = 0;
    while (common < from.size() && common < to.size() && same(from[common], to[common])) ++common;
    for (std::size_t i = common; i < from.size(); ++i) link += "../";
    for (std::size_t i = common; i < to.size(); ++i) link += (i > common ? "/" : "") + escape(to[i]);
    return link;
}

std::string PreviewPage(const DiscReport& report, const std::vector<PictureSet>& sets) {
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n<title>Preview of " +
                      HtmlText(report.disc) + "</title>\n<style>" + kStyle + "</style></head><body>\n<h1>Preview of " +
                      HtmlText(report.disc) + "</h1>\n<p>" + std::to_string(report.Count(Severity::Error)) +
                      " error(s), " + std::to_string(report.Count(Severity::Warning)) +
                      " warning(s). Each set of users below sees the same screens, drawn by the set-up's own "
                      "screen code from the library they get; under each screen its layout: buttons in blue, "
                      "panels in green, anything outside its bitmap or over another rectangle in red.</p>\n";
    for (Severity severity : {Severity::Error, Severity::Warning}) {
        out += std::string("<h2>") + (severity == Severity::Error ? "Errors" : "Warnings") + "</h2>\n<ul>\n";
        int shown = 0;
        for (const Finding& f : report.findings) {
            if (f.severity != severity) continue;
            out += FindingItem(f);
            ++shown;
        }
        out += std::string(shown ? "" : "<li>none</li>\n") + "</ul>\n";
    }
    out += "<h2>Screens</h2>\n";
    for (const PictureSet& set : sets) out += Set(set);
    out += "<h2>Who sees what</h2>\n<table class=\"users\">\n";
    for (const UserView& u : report.users) {
        out += "<tr><th colspan=\"2\">" + HtmlText(u.user) + " (" + Hex4(u.langId) + ")</th></tr>\n";
        for (const auto& field : u.fields) {
            out += "<tr><td>" + HtmlText(field.first) + "</td><td>" + HtmlText(field.second) + "</td></tr>\n";
        }
    }
    out += "</table>\n";
    if (!report.facts.empty()) {
        out += "<h2>On the disc</h2>\n<table class=\"facts\">\n";
        for (const auto& fact : report.facts) {
            out += "<tr><td>" + HtmlText(fact.first) + "</td><td>" + HtmlText(fact.second) + "</td></tr>\n";
        }
        out += "</table>\n";
    }
    return out + "</body></html>\n";
}
