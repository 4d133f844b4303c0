// Path matching and the poll loop of the process wait, over a scripted process table.
#include <gtest/gtest.h>

#include <vector>

#include "actions/process_match.h"

namespace {

struct MatchCase {
    const char* target;
    const char* reported;
    std::uint32_t mode;
    bool matches;
};

TEST(ProcessPathMatches, WholePathIgnoresCasePrefixModeRespectsIt) {
    const MatchCase cases[] = {
        {"C:\\PROGRA~1\\KIT\\SETUP.EXE", "C:\\PROGRA~1\\KIT\\SETUP.EXE", 0, true},
        {"C:\\Missing\\Setup.exe", "c:\\missing\\SETUP.EXE", 0, true},
        {"C:\\Missing\\Setup.exe", "C:\\Missing\\Setup.exe.bak", 0, false},
        {"C:\\Missing\\Setup.exe", "C:\\Missing\\Setup.ex", 0, false},
        {"C:\\KIT\\", "C:\\KIT\\VXTRAY.EXE", 1, true},
        {"C:\\Kit\\", "C:\\KIT\\VXTRAY.EXE", 1, false},
        {"C:\\KIT\\", "D:\\C:\\KIT\\VXTRAY.EXE", 1, false},
        {"C:\\KIT\\VXTRAY.EXE", "C:\\KIT\\", 1, false},
        // Unreadable paths are reported empty and never match; nor does an empty target.
        {"C:\\KIT\\SETUP.EXE", "", 0, false},
        {"", "", 0, false},
        {"", "C:\\KIT\\SETUP.EXE", 1, false},
    };
    for (const MatchCase& c : cases) {
        EXPECT_EQ(ProcessPathMatches(c.target, c.reported, c.mode), c.matches)
            << c.target << " / " << c.reported << " mode " << c.mode;
    }
}

// A process table the loop sees: the last living entry is the one found, as with a
// finder that keeps the last match in enumeration order.
struct FakeProcess {
    std::uint32_t id;
    int pollsUntilEnd;  // < 0: never ends
    bool openable = true;
    bool alive = true;
};

class ScriptedSteps : public ProcessWaitSteps {
public:
    std::vector<FakeProcess> table;
    std::vector<std::uint32_t> waitedFor;
    int polls = 0;
    int dispatches = 0;
    int finds = 0;
    std::uint32_t sleptMs = 0;
    FakeProcess* open = nullptr;
    bool openAtClose = true;

    bool FindMatch(std::uint32_t& id) override {
        ++finds;
        if (finds > 1000) ADD_FAILURE() << "the wait keeps searching";
        if (finds > 1000) return false;
        for (auto it = table.rbegin(); it != table.rend(); ++it) {
            if (it->alive) {
                id = it->id;
                return true;
            }
        }
        return false;
    }
    bool OpenForWait(std::uint32_t id) override {
        for (FakeProcess& p : table) {
            if (p.id == id && p.openable) {
                open = &p;
                waitedFor.push_back(id);
                return true;
            }
        }
        return false;
    }
    bool PollEnded() override {
        ++polls;
        if (open->pollsUntilEnd < 0) return false;
        if (open->pollsUntilEnd-- == 0) open->alive = false;
        return !open->alive;
    }
    void CloseWait() override { open = nullptr; }
    void DispatchMessages() override { ++dispatches; }
    void Sleep(std::uint32_t ms) override { sleptMs += ms; }
};

TEST(WaitUntilNoMatchLeft, NothingRunningIsTrueAfterTheFirstPause) {
    ScriptedSteps steps;
    EXPECT_TRUE(WaitUntilNoMatchLeft(steps, 999999999, 0));
    EXPECT_EQ(steps.sleptMs, 100u);
    EXPECT_EQ(steps.polls, 0);
}

TEST(WaitUntilNoMatchLeft, TwoProcessesAreWaitedForOneAfterTheOther) {
    ScriptedSteps steps;
    steps.table = {{11, 2}, {22, 1}};
    EXPECT_TRUE(WaitUntilNoMatchLeft(steps, 999999999, 3));
    EXPECT_EQ(steps.waitedFor, (std::vector<std::uint32_t>{22, 11}));
    EXPECT_EQ(steps.polls, 5);
    EXPECT_EQ(steps.dispatches, steps.polls);  // messages are served at every poll
    // first pause, one 100 ms pause per unfinished poll, settle time after each end
    EXPECT_EQ(steps.sleptMs, 100u + 3 * 100 + 2 * 300);
}

TEST(WaitUntilNoMatchLeft, PollCountZeroGivesUpAfterOnePoll) {
    ScriptedSteps steps;
    steps.table = {{7, -1}};
    EXPECT_FALSE(WaitUntilNoMatchLeft(steps, 0, 0));
    EXPECT_EQ(steps.polls, 1);
    EXPECT_EQ(steps.sleptMs, 200u);
}

TEST(WaitUntilNoMatchLeft, PollCountIsSharedByAllProcessesOfOneCall) {
    ScriptedSteps steps;
    steps.table = {{1, -1}, {2, 2}};
    // n = 4 allows 5 polls that find a process still running: 2 go to the process that
    // then ends (plus the poll that sees it end), 3 to the one that does not.
    EXPECT_FALSE(WaitUntilNoMatchLeft(steps, 4, 0));
    EXPECT_EQ(steps.polls, 6);
    EXPECT_EQ(steps.waitedFor, (std::vector<std::uint32_t>{2, 1}));
}

TEST(WaitUntilNoMatchLeft, ProcessThatCannotBeOpenedEndsTheWaitWithFalse) {
    ScriptedSteps steps;
    steps.table = {{5, -1, false}};
    EXPECT_FALSE(WaitUntilNoMatchLeft(steps, 999999999, 0));
    EXPECT_LE(steps.finds, 3);
    EXPECT_EQ(steps.polls, 0);
}

// A process may end between the search and the open: the next search does not find it
// and the wait goes on with the others.
class VanishingSteps : public ScriptedSteps {
public:
    bool OpenForWait(std::uint32_t id) override {
        if (id == 9 && table.back().alive) {
            table.back().alive = false;
            return false;
        }
        return ScriptedSteps::OpenForWait(id);
    }
};

TEST(WaitUntilNoMatchLeft, ProcessThatEndedBeforeItCouldBeOpenedIsNotAFailure) {
    VanishingSteps steps;
    steps.table = {{3, 1}, {9, -1}};
    EXPECT_TRUE(WaitUntilNoMatchLeft(steps, 999999999, 0));
    EXPECT_EQ(steps.waitedFor, (std::vector<std::uint32_t>{3}));
}

}  // namespace
