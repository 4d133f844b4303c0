#include "recorder_client.h"

#include <windows.h>

#include <fstream>
#include <sstream>

namespace recorder {
namespace {

bool SetDefaultValue(const std::string& key, const std::string& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(handle, nullptr, 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

std::string RecorderPath() {
    char build[MAX_PATH] = {};
    GetEnvironmentVariableA("ORTK_BUILD_DIR", build, sizeof build);
    return std::string(build) + "\\tests\\support\\recorder.exe";
}

bool RegisterAssociations(const std::string& log) {
    std::string command = "\"" + RecorderPath() + "\" \"--log=" + log + "\" \"%1\"";
    bool ok = true;
    for (const char* scheme : {"http", "https"}) {
        ok &= SetDefaultValue(scheme, "URL:web address");
        ok &= SetDefaultValue(std::string(scheme) + "\\shell\\open\\command", command);
        // A DDE conversation would go to the browser that Wine registered.
        RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(scheme) + "\\shell\\open\\ddeexec").c_str());
    }
    ok &= SetDefaultValue(".htm", "htmlfile");
    ok &= SetDefaultValue(".html", "htmlfile");
    ok &= SetDefaultValue("htmlfile\\shell\\open\\command", command);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open\\ddeexec");
    // Folders too, so that a folder opened by mistake is recorded rather than shown.
    for (const char* kind : {"Folder", "Directory"}) {
        ok &= SetDefaultValue(std::string(kind) + "\\shell\\open\\command", command);
        RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(kind) + "\\shell\\open\\ddeexec").c_str());
    }
    return ok;
}

std::vector<Record> ReadRecords(const std::string& log) {
    std::vector<Record> records;
    std::ifstream in(log, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::size_t tab = line.find('\t');
        Record record;
        record.program = line.substr(0, tab);
        if (tab != std::string::npos) record.arguments = line.substr(tab + 1);
        records.push_back(record);
    }
    return records;
}

bool ClearLog(const std::string& log) {
    for (int tries = 0; tries < 100; ++tries) {
        if (DeleteFileA(log.c_str())) return true;
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
        Sleep(50);
    }
    return false;
}

std::vector<Record> WaitForRecords(const std::string& log, std::size_t count,
                                   unsigned timeoutMs) {
    // Woken by changes in the log's folder rather than by polling the file.
    HANDLE change = FindFirstChangeNotificationA(
        FolderOf(log).c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
    DWORD start = GetTickCount();
    std::vector<Record> records = ReadRecords(log);
    while (records.size() < count) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) break;
        DWORD slice = timeoutMs - elapsed;
        // Re-read at least every half second in case a change went unreported.
        if (slice > 500) slice = 500;
        if (change != INVALID_HANDLE_VALUE) {
            if (WaitForSingleObject(change, slice) == WAIT_OBJECT_0)
                FindNextChangeNotification(change);
        } else {
            Sleep(slice);
        }
        records = ReadRecords(log);
    }
    if (change != INVALID_HANDLE_VALUE) FindCloseChangeNotification(change);
    return records;
}

std::string Unquoted(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '"') out += c;
    return out;
}

}  // namespace recorder
