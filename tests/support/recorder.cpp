// Stands in for the browser, the file handler or any program that tests expect the set-up
// to start: it appends one line saying what it was started with and ends.
//
//   recorder.exe [--log=FILE] arguments...
//   recorder.exe --hold=FILE
//
// The line is the program's own full path, a tab, and the rest of the command line exactly
// as given (the --log argument left out). The log is FILE, else the file named by the
// environment variable ORTK_RECORDER_LOG, else recorder.log next to the program.
// With --hold it only opens FILE for reading, shared with readers alone (no one may write,
// rename or delete it), and keeps it open until it is ended.
#include <windows.h>

#include <cstring>
#include <string>

namespace {

// The command line after the program name (quoted or not) and the blanks after it.
const char* SkipProgramName(const char* line) {
    if (*line == '"') {
        ++line;
        while (*line && *line != '"') ++line;
        if (*line) ++line;
    } else {
        while (*line && *line != ' ' && *line != '\t') ++line;
    }
    while (*line == ' ' || *line == '\t') ++line;
    return line;
}

// Takes a leading --log=FILE (quoted or not) off the arguments.
std::string TakeLogArgument(const char*& rest) {
    const char* p = rest;
    bool quoted = *p == '"';
    if (quoted) ++p;
    if (std::strncmp(p, "--log=", 6) != 0) return std::string();
    p += 6;
    const char* end = p;
    while (*end && (quoted ? *end != '"' : (*end != ' ' && *end != '\t'))) ++end;
    std::string log(p, end);
    if (quoted && *end == '"') ++end;
    while (*end == ' ' || *end == '\t') ++end;
    rest = end;
    return log;
}

std::string DefaultLog(const std::string& program) {
    char variable[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("ORTK_RECORDER_LOG", variable, sizeof variable);
    if (length > 0 && length < sizeof variable) return variable;
    std::string folder = program.substr(0, program.find_last_of('\\') + 1);
    return folder + "recorder.log";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, sizeof program);
    const char* rest = SkipProgramName(GetCommandLineA());
    std::string hold = rest;
    if (hold.size() > 1 && hold.front() == '"' && hold.back() == '"') hold = hold.substr(1, hold.size() - 2);
    if (hold.compare(0, 7, "--hold=") == 0) {
        HANDLE held = CreateFileA(hold.c_str() + 7, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (held == INVALID_HANDLE_VALUE) return 1;
        Sleep(INFINITE);
    }
    std::string log = TakeLogArgument(rest);
    if (log.empty()) log = DefaultLog(program);

    std::string line = std::string(program) + "\t" + rest + "\r\n";
    // Appending with one write keeps lines of launches that overlap whole.
    HANDLE file = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == line.size() ? 0 : 1;
}
