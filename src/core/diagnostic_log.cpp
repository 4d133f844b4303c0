// The diagnostic log section: opened when its owner asks for it, appended to by seeking
// to the end before every single write, so that several sections open at once (each with
// its own handle) append in the order they write.
#include "core/diagnostic_log.h"

#include <windows.h>

#include <vector>

#include "core/handles.h"

namespace {

constexpr DWORD kTempPathBufferSize = 260;

// Seek and write are two calls: two sections writing at the same moment from different
// threads could both seek to the same end and overwrite each other's line. One lock for
// every section of the process makes the pair indivisible.
CriticalSection& TheAppendLock() {
    static CriticalSection lock;
    return lock;
}

// The temporary folder. A name longer than the usual 260-byte buffer is fetched again
// into a buffer of the size the system asks for, rather than used cut or unterminated
// (which could put the log into the current folder); where the system then refuses to
// open so long a file name, the log stays off.
bool TemporaryFolder(std::string& folder) {
    std::vector<char> buffer(kTempPathBufferSize, '\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD length = GetTempPathA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return false;
        if (length < buffer.size()) {
            folder.assign(buffer.data(), length);
            return true;
        }
        buffer.assign(length + 1, '\0');
    }
    return false;
}

}  // namespace

struct DiagnosticLog::OpenFile {
    UniqueFile handle;
};

DiagnosticLog::DiagnosticLog(bool requested) {
    if (!requested) return;
    std::string folder;
    if (!TemporaryFolder(folder)) return;
    JoinPath(filePath_, folder, kLogFileName, '\\', kPathTrimSet);
    UniqueFile file(CreateFileA(filePath_.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return;
    file_.reset(new OpenFile{std::move(file)});
    SYSTEMTIME now;
    GetLocalTime(&now);
    // A failed start line is ignored like every other failed log write.
    AppendText(FormatLogStartLine(lineBuffer_, now.wMonth, now.wDay, now.wYear, now.wHour,
                                  now.wMinute));
    enabled_ = true;
}

DiagnosticLog::~DiagnosticLog() {
    if (!enabled_) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    AppendText(FormatLogEndLine(lineBuffer_, now.wMonth, now.wDay, now.wYear, now.wHour, now.wMinute));
}

bool DiagnosticLog::WriteLogLine(const char* message) {
    if (!enabled_) return false;
    return AppendText(FormatLogMessageLine(lineBuffer_, message));
}

bool DiagnosticLog::AppendText(const std::string& text) {
    HANDLE file = file_ ? file_->handle.get() : INVALID_HANDLE_VALUE;
    CriticalSectionLock hold(TheAppendLock());
    SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    BOOL result = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return result != FALSE;
}
