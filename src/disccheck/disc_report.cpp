#include "disccheck/disc_report.h"

#include <cstdio>

void DiscReport::Add(Severity severity, std::string check, std::string subject, std::string message) {
    // The same finding reached by several users is reported once.
    for (const Finding& f : findings) {
        if (f.severity == severity && f.check == check && f.subject == subject && f.message == message) return;
    }
    findings.push_back({severity, std::move(check), std::move(subject), std::move(message)});
}

int DiscReport::Count(Severity severity) const {
    int n = 0;
    for (const Finding& f : findings) n += f.severity == severity;
    return n;
}

namespace {

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFFu);
    return text;
}

const char* SeverityName(Severity s) { return s == Severity::Error ? "error" : "warning"; }

}  // namespace

std::string DiscReport::Text() const {
    std::string out = "Disc " + disc + "\n\nWho sees what\n";
    for (const UserView& u : users) {
        out += "  " + u.user + " (" + Hex4(u.langId) + ")\n";
        for (const auto& field : u.fields) out += "      " + field.first + ": " + field.second + "\n";
    }
    if (!facts.empty()) {
        out += "\nOn the disc\n";
        for (const auto& fact : facts) out += "  " + fact.first + ": " + fact.second + "\n";
    }
    for (Severity severity : {Severity::Error, Severity::Warning}) {
        out += std::string("\n") + (severity == Severity::Error ? "Errors\n" : "Warnings\n");
        int shown = 0;
        for (const Finding& f : findings) {
            if (f.severity != severity) continue;
            out += "  [" + f.check + "] " + f.subject + ": " + f.message + "\n";
            ++shown;
        }
        if (!shown) out += "  none\n";
    }
    out += "\n" + std::to_string(Count(Severity::Error)) + " error(s), " +
           std::to_string(Count(Severity::Warning)) + " warning(s)\n";
    return out;
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c >= 0x80) {
                // Bytes beyond ASCII are ANSI text; as code points of the same number they
                // stay readable for Western code pages and never break the JSON.
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string DiscReport::Json() const {
    std::string out = "{\n  \"disc\": " + JsonString(disc) + ",\n";
    out += "  \"errors\": " + std::to_string(Count(Severity::Error)) + ",\n";
    out += "  \"warnings\": " + std::to_string(Count(Severity::Warning)) + ",\n";
    out += "  \"users\": [";
    for (std::size_t i = 0; i < users.size(); ++i) {
        const UserView& u = users[i];
        out += std::string(i ? "," : "") + "\n    {\"user\": " + JsonString(u.user) +
               ", \"langId\": " + JsonString(Hex4(u.langId));
        for (const auto& field : u.fields) out += ", " + JsonString(field.first) + ": " + JsonString(field.second);
        out += "}";
    }
    out += "\n  ],\n  \"disc facts\": {";
    for (std::size_t i = 0; i < facts.size(); ++i) {
        out += std::string(i ? "," : "") + "\n    " + JsonString(facts[i].first) + ": " + JsonString(facts[i].second);
    }
    out += "\n  },\n  \"findings\": [";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const Finding& f = findings[i];
        out += std::string(i ? "," : "") + "\n    {\"severity\": \"" + SeverityName(f.severity) +
               "\", \"check\": " + JsonString(f.check) + ", \"subject\": " + JsonString(f.subject) +
               ", \"message\": " + JsonString(f.message) + "}";
    }
    out += "\n  ]\n}\n";
    return out;
}
