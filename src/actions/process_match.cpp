#include "actions/process_match.h"

#include <set>

#include "core/platform.h"

bool ProcessPathMatches(const std::string& target, const std::string& reported,
                        std::uint32_t matchMode) {
    if (target.empty() || reported.empty()) return false;
    if (matchMode == 0) {
        return reported.size() == target.size() &&
               platform::UpperCase(reported) == platform::UpperCase(target);
    }
    // A match at the very start is always on a character boundary, so a byte-wise
    // prefix test gives what a multibyte-aware substring search would.
    return reported.compare(0, target.size(), target) == 0;
}

bool WaitUntilNoMatchLeft(ProcessWaitSteps& steps, std::uint32_t pollCount,
                          std::uint32_t settleTenths) {
    bool result = true;
    steps.Sleep(100);
    // Processes that were listed but could not be opened. One that vanished between the
    // search and the open is simply not found again; one that is found again would make
    // the loop spin for ever, so the wait gives up on it.
    std::set<std::uint32_t> unopenable;
    std::uint32_t processId = 0;
    while (steps.FindMatch(processId)) {
        if (!steps.OpenForWait(processId)) {
            if (!unopenable.insert(processId).second) return false;
            continue;
        }
        result = false;
        bool gaveUp = false;
        for (;;) {
            bool ended = steps.PollEnded();
            steps.DispatchMessages();
            if (ended) {
                result = true;
                steps.Sleep(settleTenths * 100);
                break;
            }
            steps.Sleep(100);
            if (pollCount == 0) {
                gaveUp = true;
                break;
            }
            --pollCount;
        }
        steps.CloseWait();
        if (gaveUp) break;
    }
    return result;
}
