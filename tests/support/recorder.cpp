// Stands in for the browser, the file handler or any program that tests expect the set-up
// to start: it appends one line saying what it was started with and ends.
//
//   recorder.exe [--log=FILE] arguments...
//   recorder.exe --hold=FILE
//   recorder.exe --crowd=N
//
// The line is the program's own full path, a tab, and the rest of the command line exactly
// as given (the --log argument left out). The log is FILE, else the file named by the
// environment variable ORTK_RECORDER_LOG, else recorder.log next to the program.
// With --hold it only opens FILE for reading, shared with readers alone (no one may write,
// rename or delete it), and keeps it open until it is ended.
// With --crowd it starts N copies of itself suspended, which stand in the process list like
// any other program but cost next to nothing, writes "crowd N" (the number started, and the
// last error if that is fewer) to its output, and waits until it is ended; the copies end
// with it.
#include <windows.h>

#include <cstdlib>
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

int Crowd(const char* program, long count) {
    // The copies are in a job that ends them when its last handle, this program's, closes.
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job || !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                                         sizeof limits))
        return 1;
    std::string commandLine = std::string("\"") + program + "\"";
    // A start that fails is tried again a while: on a busy machine one can fail for want of
    // something that is back a moment later. What stopped the crowd goes into the report.
    long started = 0;
    DWORD lastError = 0;
    for (int retries = 50; started < count && retries > 0;) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        std::string line = commandLine;
        if (!CreateProcessA(program, &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                            nullptr, nullptr, &startup, &process)) {
            lastError = GetLastError();
            --retries;
            Sleep(100);
            continue;
        }
        if (AssignProcessToJobObject(job, process.hProcess)) {
            ++started;
        } else {
            lastError = GetLastError();
            --retries;
            TerminateProcess(process.hProcess, 1);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    std::string report = "crowd " + std::to_string(started);
    if (started < count) report += " (error " + std::to_string(lastError) + ")";
    report += "\r\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), report.data(), static_cast<DWORD>(report.size()),
              &written, nullptr);
    Sleep(INFINITE);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, sizeof program);
    const char* rest = SkipProgramName(GetCommandLineA());
    std::string option = rest;
    if (option.size() > 1 && option.front() == '"' && option.back() == '"')
        option = option.substr(1, option.size() - 2);
    if (option.compare(0, 7, "--hold=") == 0) {
        HANDLE held = CreateFileA(option.c_str() + 7, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (held == INVALID_HANDLE_VALUE) return 1;
        Sleep(INFINITE);
    }
    if (option.compare(0, 8, "--crowd=") == 0)
        return Crowd(program, std::strtol(option.c_str() + 8, nullptr, 10));
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
