// Exact bytes of the diagnostic log's lines.
#include <gtest/gtest.h>

#include "core/diagnostic_log.h"

namespace {

TEST(LogLines, StartLineHasLeadingEmptyLineAndPaddedFields) {
    TextValue line;
    EXPECT_EQ(FormatLogStartLine(line, 7, 5, 2000, 9, 7),
              "\r\nCD : DEBUG START Date:  7: 5:2000 Time:  9: 7\r\n");
    EXPECT_EQ(line.str(), "\r\nCD : DEBUG START Date:  7: 5:2000 Time:  9: 7\r\n");
    EXPECT_EQ(FormatLogStartLine(line, 12, 31, 1999, 23, 59),
              "\r\nCD : DEBUG START Date: 12:31:1999 Time: 23:59\r\n");
    EXPECT_EQ(FormatLogStartLine(line, 1, 1, 0, 0, 0),
              "\r\nCD : DEBUG START Date:  1: 1:   0 Time:  0: 0\r\n");
}

TEST(LogLines, EndLinePrintsTheFullYear) {
    TextValue line;
    EXPECT_EQ(FormatLogEndLine(line, 7, 5, 2000, 9, 7),
              "CD : DEBUG END   Date:  7: 5:2000 Time:  9: 7\r\n");
    EXPECT_EQ(FormatLogEndLine(line, 11, 30, 2026, 19, 5),
              "CD : DEBUG END   Date: 11:30:2026 Time: 19: 5\r\n");
}

TEST(LogLines, MessageLineIsTabbed) {
    TextValue line;
    EXPECT_EQ(FormatLogMessageLine(line, "Spawning process failed "), "\tSpawning process failed \r\n");
    EXPECT_EQ(FormatLogMessageLine(line, "100% done %s"), "\t100% done %s\r\n");
    EXPECT_EQ(FormatLogMessageLine(line, nullptr), "\t\r\n");
}

}  // namespace
