#include "setup/command_line.h"

#include "core/text_value.h"

bool HasForceInstallSwitch(const char* commandLine) {
    // Only the first switch character counts, even when it belongs to the program's own
    // path (a folder such as "CD-ROM"): nothing else on the line has a meaning.
    const char* rest = FindSwitchChar(commandLine, "-/");
    return rest && (rest[0] == 'R' || rest[0] == 'r') && rest[1] == '\0';
}
