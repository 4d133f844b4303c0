// Whether the kit is already installed and current, so that the set-up has nothing to
// install.
#pragma once

// The plug-in files are in every recorded plug-in folder, every kit class of both groups
// can be created, and the version checker reports a library newer than 4.0.0.3.
bool IsKitCurrent();
