// The set-up's one switch, as the system hands over the command line: program path first.
#include <gtest/gtest.h>

#include "setup/command_line.h"

namespace {

struct SwitchCase {
    const char* commandLine;
    bool forced;
};

const SwitchCase kCases[] = {
    {"\"D:\\setup.exe\" -R", true},
    {"\"D:\\setup.exe\" -r", true},
    {"\"D:\\setup.exe\" /r", true},
    {"\"D:\\setup.exe\" /R", true},
    {"D:\\setup.exe -R", true},
    // Anything after the letter, even a blank, spoils the switch.
    {"\"D:\\setup.exe\" -R ", false},
    {"\"D:\\setup.exe\" -R -x", false},
    {"\"D:\\setup.exe\" -R /R", false},
    {"\"D:\\setup.exe\" -Rx", false},
    {"\"D:\\setup.exe\" - R", false},
    // The program path comes first and is skipped, quoted or not, whatever it holds.
    {"\"E:\\CD-ROM\\setup.exe\" -R", true},
    {"\"E:\\CD-ROM\\setup.exe\" /r", true},
    {"E:\\CD-ROM\\setup.exe -R", true},
    {"\"E:\\Disc 1\\ortk-2.0/setup.exe\" -R", true},
    {"E:\\ortk-2.0\\setup.exe\t/R", true},
    {"\"E:\\CD-ROM\\setup.exe\"-R", true},
    {"\"E:\\CD-ROM\\setup.exe\"", false},
    {"E:\\CD-ROM\\setup.exe", false},
    {"\"E:\\CD-ROM\\setup.exe -R", false},  // unclosed quote: all of it is the path
    // After it only the first switch character counts.
    {"\"E:\\CD-ROM\\setup.exe\" -R ", false},
    {"\"E:\\CD-ROM\\setup.exe\" -x -R", false},
    {"\"D:\\setup.exe\" -x -R", false},
    // No switch at all.
    {"\"D:\\setup.exe\"", false},
    {"\"D:\\setup.exe\" R", false},
    {"", false},
    {"\"D:\\setup.exe\" -", false},
};

TEST(ForceInstallSwitch, FollowsTheFirstSwitchCharacterAfterTheProgramPath) {
    for (const SwitchCase& c : kCases) {
        EXPECT_EQ(c.forced, HasForceInstallSwitch(c.commandLine)) << c.commandLine;
    }
}

TEST(ForceInstallSwitch, NoCommandLineIsNoSwitch) {
    EXPECT_FALSE(HasForceInstallSwitch(nullptr));
}

}  // namespace
