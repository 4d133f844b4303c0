// One section of the optional diagnostic log "ErrorLog.txt" in the temporary folder.
#pragma once

#include <memory>
#include <string>

#include "core/product.h"
#include "core/text_value.h"

class DiagnosticLog {
public:
    // Opens a section (writes its start line) when asked to; the owner decides, from
    // the client key's "DEBUG" value.
    explicit DiagnosticLog(bool requested);
    virtual ~DiagnosticLog();  // writes the end line and closes the handle
    DiagnosticLog(const DiagnosticLog&) = delete;
    DiagnosticLog& operator=(const DiagnosticLog&) = delete;

    bool WriteLogLine(const char* message);
    bool enabled() const { return enabled_; }
    const std::string& filePath() const { return filePath_.str(); }

private:
    // Moves to the end of the file and writes text with one WriteFile.
    bool AppendText(const std::string& text);

    struct OpenFile;  // the open log file's handle, in its owner (win32 build)

    bool enabled_ = false;
    TextValue filePath_;
    TextValue lineBuffer_;
    std::unique_ptr<OpenFile> file_;  // none while off; closed with the section, after its end line
};

// The log's lines, with the local time's fields. Each begins a section, carries one
// message or ends a section; widths are minimum widths, years are printed in full.
std::string FormatLogStartLine(TextValue& target, unsigned month, unsigned day, unsigned year,
                               unsigned hour, unsigned minute);
std::string FormatLogMessageLine(TextValue& target, const char* message);
std::string FormatLogEndLine(TextValue& target, unsigned month, unsigned day, unsigned year,
                             unsigned hour, unsigned minute);
