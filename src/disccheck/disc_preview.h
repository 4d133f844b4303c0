// The preview of a checked disc (win32 build): for every set of users who get the same
// screens, pictures of those screens drawn by the set-up's own code, and one page,
// index.html, with the report beside them.
#pragma once

#include <string>

#include "disccheck/disc_report.h"

// Writes index.html and the pictures into outFolder, which is made when missing; only
// files of those names are replaced. False with why when the folder cannot be made or
// the page cannot be written; a screen that cannot be drawn is an entry without a picture.
bool WritePreview(const DiscReport& report, const std::string& outFolder, std::string& pagePath, std::string& why);
