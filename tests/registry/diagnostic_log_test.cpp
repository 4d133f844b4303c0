// The diagnostic log under Wine: switched by the client key's "DEBUG" value, appended to
// "ErrorLog.txt" in the temporary folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "core/diagnostic_log.h"
#include "core/text_value.h"
#include "import_slot.h"
#include "registry/setup_services.h"
#include "win32_helpers.h"

// The slot through which this program's code reads the local time.
ORTK_IMPORT_SLOT(getLocalTimeSlot, GetLocalTime, 4);

namespace {

const char kClient[] = "Software\\VORDA\\OrvalisToolKit\\ClientInstall";

std::string TemporaryFolder() {
    char buffer[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof buffer, buffer);
    return std::string(buffer, length);
}

std::string LogPath() {
    return TemporaryFolder() + "ErrorLog.txt";
}

// A start line as the log writes it for the given local time.
std::string StartLine(const SYSTEMTIME& t) {
    TextValue line;
    return FormatLogStartLine(line, t.wMonth, t.wDay, t.wYear, t.wHour, t.wMinute);
}

std::string EndLine(const SYSTEMTIME& t) {
    TextValue line;
    return FormatLogEndLine(line, t.wMonth, t.wDay, t.wYear, t.wHour, t.wMinute);
}

// Splits the log into lines at CR LF; the text after the last CR LF is the final element.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    return time;
}

// While it lives, the local time is read from the given times in turn, the last one again
// once they run out.
class FixedClock {
public:
    explicit FixedClock(std::vector<SYSTEMTIME> times) : real_(getLocalTimeSlot) {
        Times() = std::move(times);
        Point(reinterpret_cast<void*>(&Now));
    }
    ~FixedClock() { Point(real_); }
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;

private:
    static std::vector<SYSTEMTIME>& Times() {
        static std::vector<SYSTEMTIME> times;
        return times;
    }
    static void WINAPI Now(SYSTEMTIME* time) {
        *time = Times().front();
        if (Times().size() > 1) Times().erase(Times().begin());
    }
    static void Point(void* function) {
        DWORD old = 0;
        VirtualProtect(&getLocalTimeSlot, sizeof(void*), PAGE_READWRITE, &old);
        getLocalTimeSlot = function;
        VirtualProtect(&getLocalTimeSlot, sizeof(void*), old, &old);
    }
    void* real_;
};

bool IsStartLine(const std::string& line) {
    return line.rfind("CD : DEBUG START Date: ", 0) == 0 && line.size() == 45;
}

bool IsEndLine(const std::string& line) {
    return line.rfind("CD : DEBUG END   Date: ", 0) == 0 && line.size() == 45;
}

// Checks the section structure of the log: for each expected line, either the literal
// message (tab-prefixed) or one of the markers "<start>" / "<end>" / "" (empty line).
#define EXPECT_LOG_LINES(...) ExpectLogLines(__LINE__, __VA_ARGS__)
void ExpectLogLines(int line, const std::vector<std::string>& expected) {
    SCOPED_TRACE(testing::Message() << "log checked at line " << line);
    std::optional<std::string> content = ReadWholeFile(LogPath());
    ASSERT_TRUE(content);
    std::vector<std::string> lines = Lines(*content);
    ASSERT_EQ(lines.size(), expected.size() + 1) << *content;
    EXPECT_EQ(lines.back(), "") << "the log ends with CR LF";
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] == "<start>")
            EXPECT_TRUE(IsStartLine(lines[i])) << i << ": " << lines[i];
        else if (expected[i] == "<end>")
            EXPECT_TRUE(IsEndLine(lines[i])) << i << ": " << lines[i];
        else if (expected[i].empty())
            EXPECT_EQ(lines[i], "") << i;
        else
            EXPECT_EQ(lines[i], "\t" + expected[i]) << i;
    }
}

class DiagnosticLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, kKitTree));
        DeleteFileA(LogPath().c_str());
        ASSERT_FALSE(FileExists(LogPath()));
    }
    void TearDown() override {
        EXPECT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, kKitTree));
        DeleteFileA(LogPath().c_str());
    }
    void TurnOn(DWORD value = 0) { ASSERT_TRUE(SetRawDword(HKEY_LOCAL_MACHINE, kClient, "DEBUG", value)); }
};

TEST_F(DiagnosticLogTest, WithoutDebugValueNoFileIsCreated) {
    {
        SetupServices services;
        EXPECT_FALSE(services.WriteLogLine("Not enough disk space"));
    }
    EXPECT_FALSE(FileExists(LogPath()));
}

TEST_F(DiagnosticLogTest, DebugAsStringWritesNoLog) {
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kClient, "DEBUG", "1"));
    {
        SetupServices services;
        EXPECT_FALSE(services.WriteLogLine("Not enough disk space"));
    }
    EXPECT_FALSE(FileExists(LogPath()));
}

TEST_F(DiagnosticLogTest, DebugZeroWritesOneSection) {
    TurnOn(0);
    {
        SetupServices services;
        EXPECT_TRUE(services.WriteLogLine("Not enough disk space"));
        EXPECT_TRUE(services.WriteLogLine("Spawning process failed "));
    }
    EXPECT_LOG_LINES({"", "<start>", "Not enough disk space", "Spawning process failed ", "<end>"});
}

TEST_F(DiagnosticLogTest, SecondRunAppendsAfterAnEmptyLine) {
    TurnOn(1);
    {
        SetupServices first;
        first.WriteLogLine("first run");
    }
    {
        SetupServices second;
        second.WriteLogLine("second run");
    }
    EXPECT_LOG_LINES({"", "<start>", "first run", "<end>", "", "<start>", "second run", "<end>"});
}

TEST_F(DiagnosticLogTest, InnerSectionWhileTheOuterIsOpen) {
    TurnOn();
    {
        SetupServices outer;
        outer.WriteLogLine("outer before");
        {
            SetupServices inner;
            inner.WriteLogLine("inner");
            outer.WriteLogLine("outer meanwhile");
        }
        outer.WriteLogLine("You may have to restart");
    }
    EXPECT_LOG_LINES({"", "<start>", "outer before", "", "<start>", "inner", "outer meanwhile", "<end>",
                      "You may have to restart", "<end>"});
}

TEST_F(DiagnosticLogTest, StartAndEndLinesCarryTheLocalTime) {
    TurnOn();
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    {
        SetupServices services;
        GetLocalTime(&after);
    }
    SYSTEMTIME end;
    GetLocalTime(&end);
    std::optional<std::string> content = ReadWholeFile(LogPath());
    ASSERT_TRUE(content);
    // The minute may turn over between the readings; one of them must match exactly.
    std::string first = content->substr(0, StartLine(before).size());
    EXPECT_TRUE(first == StartLine(before) || first == StartLine(after)) << first;
    std::string last = content->substr(content->size() - EndLine(end).size());
    EXPECT_TRUE(last == EndLine(after) || last == EndLine(end)) << last;
    EXPECT_EQ(content->size(), StartLine(before).size() + EndLine(end).size());
}

// The whole file of one section at given local times: fields of one digit get a leading
// blank, both lines print the year in full, and messages are written as given, never
// taken as formats.
TEST_F(DiagnosticLogTest, SectionAtGivenLocalTimesByteForByte) {
    TurnOn();
    const std::string messages = "\tSpawning process failed \r\n\t100% done %s\r\n\t\r\n";
    struct Row {
        SYSTEMTIME start, end;
        const char* startLine;
        const char* endLine;
    } rows[] = {
        {At(2000, 7, 5, 9, 7), At(2000, 7, 5, 9, 7),
         "\r\nCD : DEBUG START Date:  7: 5:2000 Time:  9: 7\r\n",
         "CD : DEBUG END   Date:  7: 5:2000 Time:  9: 7\r\n"},
        {At(1999, 12, 31, 23, 59), At(2026, 11, 30, 19, 5),
         "\r\nCD : DEBUG START Date: 12:31:1999 Time: 23:59\r\n",
         "CD : DEBUG END   Date: 11:30:2026 Time: 19: 5\r\n"},
        {At(0, 1, 1, 0, 0), At(2000, 7, 5, 9, 7),
         "\r\nCD : DEBUG START Date:  1: 1:   0 Time:  0: 0\r\n",
         "CD : DEBUG END   Date:  7: 5:2000 Time:  9: 7\r\n"},
    };
    for (const Row& row : rows) {
        DeleteFileA(LogPath().c_str());
        {
            FixedClock clock({row.start, row.end});
            SetupServices services;
            services.WriteLogLine("Spawning process failed ");
            services.WriteLogLine("100% done %s");
            services.WriteLogLine(nullptr);
        }
        EXPECT_EQ(ReadWholeFile(LogPath()).value_or("<no log>"),
                  row.startLine + messages + row.endLine);
    }
}

TEST_F(DiagnosticLogTest, LinesFromTwoThreadsAreNeverSplit) {
    TurnOn();
    struct Writer {
        static DWORD WINAPI Run(LPVOID parameter) {
            const char* text = static_cast<const char*>(parameter);
            SetupServices services;
            for (int i = 0; i < 200; ++i) services.WriteLogLine(text);
            return 0;
        }
    };
    std::string a(300, 'a'), b(300, 'b');
    HANDLE threads[2] = {CreateThread(nullptr, 0, Writer::Run, &a[0], 0, nullptr),
                         CreateThread(nullptr, 0, Writer::Run, &b[0], 0, nullptr)};
    ASSERT_NE(threads[0], nullptr);
    ASSERT_NE(threads[1], nullptr);
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);
    CloseHandle(threads[0]);
    CloseHandle(threads[1]);
    std::optional<std::string> content = ReadWholeFile(LogPath());
    ASSERT_TRUE(content);
    int as = 0, bs = 0, marks = 0;
    for (const std::string& line : Lines(*content)) {
        if (line == "\t" + a) ++as;
        else if (line == "\t" + b) ++bs;
        else if (line.empty() || IsStartLine(line) || IsEndLine(line)) ++marks;
        else ADD_FAILURE() << "split line: " << line.substr(0, 40);
    }
    EXPECT_EQ(as, 200);
    EXPECT_EQ(bs, 200);
    EXPECT_EQ(marks, 2 * 3 + 1);  // two empty, start and end lines, and the final empty piece
}

TEST_F(DiagnosticLogTest, UnopenableFileTurnsTheLogOff) {
    TurnOn();
    ASSERT_TRUE(CreateDirectoryA(LogPath().c_str(), nullptr));
    {
        SetupServices services;
        EXPECT_FALSE(services.WriteLogLine("lost"));
    }
    EXPECT_TRUE(RemoveDirectoryA(LogPath().c_str()));
}

// Win32 file calls on long names need the "\\?\" form with wide text.
std::wstring LongName(const std::string& path) {
    return L"\\\\?\\" + std::wstring(path.begin(), path.end());
}

TEST_F(DiagnosticLogTest, TemporaryFolderLongerThan260Bytes) {
    std::string folder = TemporaryFolder() + "ortk-long";
    std::vector<std::string> created;
    while (folder.size() < 320) {
        ASSERT_TRUE(CreateDirectoryW(LongName(folder).c_str(), nullptr)) << folder;
        created.push_back(folder);
        folder += "\\" + std::string(60, 'd');
    }
    std::string longFolder = created.back();
    ASSERT_GT(longFolder.size(), 260u);
    std::string current = TemporaryFolder() + "ortk-current";
    ASSERT_TRUE(CreateDirectoryA(current.c_str(), nullptr));
    char oldCurrent[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, oldCurrent);
    SetCurrentDirectoryA(current.c_str());
    char oldTmp[1024] = "";
    DWORD hadTmp = GetEnvironmentVariableA("TMP", oldTmp, sizeof oldTmp);
    SetEnvironmentVariableA("TMP", (longFolder + "\\").c_str());
    TurnOn();
    bool written = false;
    {
        SetupServices services;
        written = services.WriteLogLine("from a long folder");
    }
    SetEnvironmentVariableA("TMP", hadTmp ? oldTmp : nullptr);
    SetCurrentDirectoryA(oldCurrent);

    // Either the log is in the long folder itself, or (where the system refuses so long
    // a name) off; never in a folder made from a cut name, nor in the current folder.
    std::wstring logName = LongName(longFolder + "\\ErrorLog.txt");
    bool inLongFolder = GetFileAttributesW(logName.c_str()) != INVALID_FILE_ATTRIBUTES;
    EXPECT_EQ(inLongFolder, written);
    EXPECT_FALSE(FileExists(current + "\\ErrorLog.txt"));
    EXPECT_FALSE(FileExists(LogPath()));
    DeleteFileW(logName.c_str());
    RemoveDirectoryA(current.c_str());
    for (auto it = created.rbegin(); it != created.rend(); ++it) RemoveDirectoryW(LongName(*it).c_str());
    EXPECT_FALSE(FileExists(created.front()));
    RecordProperty("long_temp_folder_log", written ? "written" : "off");
}

}  // namespace
