// Version of the kit's component library, as the kit's own version checker reports it.
#pragma once

#include <string>

extern const char kComponentLibrary[];        // "AddinProbe2.DLL"
extern const char kMinimumComponentVersion[];  // "4.0.0.3"; the library must be newer

// The version the checker component reports for the named library, or empty text when
// the component is not registered, its call fails or the answer is not text.
std::string GetComponentVersion(const char* libraryFileName);

// True when the reported version of the component library is newer than the minimum.
bool IsComponentCurrent();
