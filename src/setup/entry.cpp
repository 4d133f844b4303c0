#include "setup/entry.h"

#include "core/result_codes.h"
#include "setup/setup_application.h"

void RunAndReportResult(const std::function<void()>& body) {
    try {
        body();
    } catch (...) {
        // Whatever escapes start-up, the sequence or a screen ends here; the outcome set so
        // far still decides the error page below.
    }
    try {
        if (setupResult < 0) SetupApplication::ReportResult(setupResult);
    } catch (...) {
        // Nothing more can be done for the user; the exit code stays 0.
    }
}
