// The set-up's one command-line switch.
#pragma once

// True when the first "-" or "/" after the program path is followed by "R" or "r" and
// nothing else: the installation is then forced even over a current kit. A "-" in the
// program's own path (a disc folder such as "CD-ROM") is not a switch.
bool HasForceInstallSwitch(const char* commandLine);
