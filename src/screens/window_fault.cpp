#include "screens/window_fault.h"

namespace window_fault {

namespace {

// Each thread runs its own windows and modal loops, so each keeps its own fault.
thread_local std::exception_ptr kept;

}  // namespace

void KeepCurrent(HWND modalDialog) {
    if (!kept) kept = std::current_exception();
    if (modalDialog) EndDialog(modalDialog, IDCANCEL);
}

void RethrowKept() {
    if (!kept) return;
    std::exception_ptr fault = kept;
    kept = nullptr;
    std::rethrow_exception(fault);
}

}  // namespace window_fault
