// The disc check (win32 build): reads a disc folder as the set-up would for every user the
// setup description can tell apart, and reports what each sees and what is wrong.
#pragma once

#include <string>

#include "disccheck/disc_report.h"

// Fills the report; false (with why) when the folder or its setup description cannot be
// read at all.
bool CheckDisc(const std::string& folder, DiscReport& report, std::string& why);

// The checks of one resource library (library_check.cpp): templates, backgrounds and
// their buttons, strings, icon and cursor. users names who gets it.
class DataLibrary;
void CheckResourceLibrary(const std::string& name, const DataLibrary& library,
                          const std::string& users, DiscReport& report);
