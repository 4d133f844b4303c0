// One section of the optional diagnostic log "ErrorLog.txt" in the temporary folder.
#pragma once

#include "core/text_value.h"

class DiagnosticLog {
public:
    DiagnosticLog();           // writes the start line when "DEBUG" is a REG_DWORD
    virtual ~DiagnosticLog();  // writes the end line and closes the handle
    DiagnosticLog(const DiagnosticLog&) = delete;
    DiagnosticLog& operator=(const DiagnosticLog&) = delete;

    bool WriteLogLine(const char* message);
    bool enabled() const { return enabled_; }

private:
    bool enabled_ = false;
    TextValue filePath_;
    TextValue lineBuffer_;
    void* fileHandle_ = nullptr;  // HANDLE of the open log file, or null
};
