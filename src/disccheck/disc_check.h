// The disc check (win32 build): reads a disc folder as the set-up would for every user the
// setup description can tell apart, and reports what each sees and what is wrong.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "description/setup_description.h"
#include "disccheck/disc_report.h"

// Fills the report; false (with why) when the folder or its setup description cannot be
// read at all.
bool CheckDisc(const std::string& folder, DiscReport& report, std::string& why);

// The setup description of a disc as the set-up reads it for a user of langId: the
// section chosen, the error pages, and whether a section was found at all.
struct DiscReading {
    std::unique_ptr<SetupDescription> description;
    ErrorPageTable pages;
    bool loaded = false;
};
std::unique_ptr<DiscReading> ReadDiscFor(const std::string& folder, std::uint16_t langId);

// The checks of one resource library (library_check.cpp): templates, backgrounds and
// their buttons, strings, icon and cursor. users names who gets it.
class DataLibrary;
void CheckResourceLibrary(const std::string& name, const DataLibrary& library,
                          const std::string& users, DiscReport& report);
