// The set-up's one command-line switch.
#pragma once

// True when the first "-" or "/" of the whole command line (program path included) is
// followed by "R" or "r" and nothing else: the installation is then forced even over a
// current kit.
bool HasForceInstallSwitch(const char* commandLine);
