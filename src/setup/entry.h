// The entry's rule for the end of a run (win32 build), apart from WinMain so that test
// programs run their screens under the same rule.
#pragma once

#include <functional>

// Runs `body`. Whatever it throws is caught here, once every object it made is gone; then
// a negative setupResult (as set so far) opens its error page. Never throws.
void RunAndReportResult(const std::function<void()>& body);
