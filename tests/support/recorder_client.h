// Wine-test side of the recorder (recorder.exe): points the prefix's web address and web
// page associations at it and reads back what it recorded.
#pragma once

#include <string>
#include <vector>

namespace recorder {

struct Record {
    std::string program;    // full path of the program that was started
    std::string arguments;  // its command line after the program name
};

// Full path of recorder.exe in the build folder (from ORTK_BUILD_DIR).
std::string RecorderPath();

// http:, https:, .htm, .html and folders open with recorder.exe, which appends to log. Registered
// in the classes root as Windows keeps them; the test's prefix is thrown away afterwards.
bool RegisterAssociations(const std::string& log);

// The records in log so far (none when the file does not exist).
std::vector<Record> ReadRecords(const std::string& log);

// Waits until log holds at least count records or timeoutMs has passed; returns them.
// Deletes the log for the next launch; a recorder that is still ending may hold it open a
// moment, and a log left behind would show its record again. False when it stays.
bool ClearLog(const std::string& log);

std::vector<Record> WaitForRecords(const std::string& log, std::size_t count,
                                   unsigned timeoutMs);

// Arguments without the quotes around them, for comparisons.
std::string Unquoted(const std::string& text);

}  // namespace recorder
