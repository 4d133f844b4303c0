// Portable rules of waiting for processes by program path: how a reported executable
// path is compared with the target, and the poll loop that waits until no matching
// process is left. The Win32 ProcessFinder supplies the system side.
#pragma once

#include <cstdint>
#include <string>

// Mode 0: the whole path must match, ignoring case. Any other mode: the process path
// must begin with the target, case counting. Both texts are already normalised. An empty
// path (one that could not be read) or an empty target never matches.
bool ProcessPathMatches(const std::string& target, const std::string& reported,
                        std::uint32_t matchMode);

// The system operations the wait needs, one process at a time.
class ProcessWaitSteps {
public:
    virtual ~ProcessWaitSteps() = default;
    // Searches the running processes; true with the id of the last match.
    virtual bool FindMatch(std::uint32_t& processId) = 0;
    // Opens the process for waiting; false when it cannot be opened.
    virtual bool OpenForWait(std::uint32_t processId) = 0;
    // Waits up to 100 ms for the opened process; true unless the wait timed out
    // (a failed wait counts as ended).
    virtual bool PollEnded() = 0;
    // Closes what OpenForWait opened.
    virtual void CloseWait() = 0;
    // Removes and dispatches every message waiting for the calling thread.
    virtual void DispatchMessages() = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
};

// Waits until no matching process is left. The poll count is shared by every process
// of the call, so a count n allows n + 1 polls in all; after a process ends the wait
// sleeps settleTenths x 100 ms. True when nothing matching is left, false when it gave up
// (poll count spent, or a process that is still listed cannot be opened for waiting).
bool WaitUntilNoMatchLeft(ProcessWaitSteps& steps, std::uint32_t pollCount,
                          std::uint32_t settleTenths);
