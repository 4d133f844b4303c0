// Text of the diagnostic log's lines.
#include "core/diagnostic_log.h"


std::string FormatLogStartLine(TextValue& target, unsigned month, unsigned day, unsigned year,
                               unsigned hour, unsigned minute) {
    // The leading empty line separates this section from the one before.
    return FormatText(target, "\r\nCD : DEBUG START Date: %2d:%2d:%4d Time: %2d:%2d\r\n",
                      static_cast<int>(month), static_cast<int>(day), static_cast<int>(year),
                      static_cast<int>(hour), static_cast<int>(minute));
}

std::string FormatLogMessageLine(TextValue& target, const char* message) {
    return FormatText(target, "\t%s\r\n", message ? message : "");
}

std::string FormatLogEndLine(TextValue& target, unsigned month, unsigned day, unsigned year,
                             unsigned hour, unsigned minute) {
    return FormatText(target, "CD : DEBUG END   Date: %2d:%2d:%2d Time: %2d:%2d\r\n",
                      static_cast<int>(month), static_cast<int>(day), static_cast<int>(year),
                      static_cast<int>(hour), static_cast<int>(minute));
}
