#include "setup/command_line.h"

#include "core/text_value.h"

namespace {

// The command line after the program path the system puts first: a quoted path ends with
// its closing quote, an unquoted one at the first blank or tab.
const char* SkipProgramPath(const char* commandLine) {
    if (!commandLine) return nullptr;
    const char* p = commandLine;
    // Quotes and blanks are below every trail byte of a double-byte character, so the
    // path can be walked byte by byte.
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    return p;
}

}  // namespace

bool HasForceInstallSwitch(const char* commandLine) {
    // Only the first switch character after the program path counts: nothing else on the
    // line has a meaning.
    const char* rest = FindSwitchChar(SkipProgramPath(commandLine), "-/");
    return rest && (rest[0] == 'R' || rest[0] == 'r') && rest[1] == '\0';
}
