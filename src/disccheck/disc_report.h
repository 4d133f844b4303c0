// The report of a disc check: what each user sees and what is wrong, as readable text and
// as JSON. Errors break what a user sees or name a file that is not there; warnings are
// worth a look but change nothing a user sees.
#pragma once

#include <string>
#include <utility>
#include <vector>

enum class Severity { Error, Warning };

struct Finding {
    Severity severity = Severity::Error;
    std::string check;    // "files", "libraries", "licence", "clip", "error pages", ...
    std::string subject;  // the file, key, attribute or resource concerned
    std::string message;
};

// One line of "who sees what": a user and what the set-up gives him.
struct UserView {
    std::string user;  // "LANG_FRENCH / SUBLANG_FRENCH_CANADIAN", "all others"
    unsigned langId = 0;
    std::vector<std::pair<std::string, std::string>> fields;  // in report order
};

struct DiscReport {
    std::string disc;
    std::vector<UserView> users;
    std::vector<std::pair<std::string, std::string>> facts;  // "registry scripts", ...
    std::vector<Finding> findings;

    void Add(Severity severity, std::string check, std::string subject, std::string message);
    int Count(Severity severity) const;
    int ExitCode() const { return Count(Severity::Error) ? 1 : 0; }
    std::string Text() const;
    std::string Json() const;
};

// Text as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);
