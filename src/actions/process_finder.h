// Finding running processes by executable path and waiting until none is left (win32
// build). PSAPI (NT family; VDMDBG too where the system has it) or the Toolhelp functions
// (95 family) are loaded at run time from the system folder, never through the program's
// or the current folder.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

#include "core/text_value.h"

class ProcessFinder {
public:
    // One process as the enumeration reports it: its id, its 16-bit task number (always
    // 0, only processes are reported) and its executable path (empty when it could not
    // be read). Returning false stops the enumeration.
    using ProcessCallback = bool (*)(DWORD processId, WORD task, const char* path,
                                     void* context);

    ProcessFinder() = default;
    virtual ~ProcessFinder() = default;
    ProcessFinder(const ProcessFinder&) = delete;
    ProcessFinder& operator=(const ProcessFinder&) = delete;

    // Reports every running process; false when the platform support cannot be loaded
    // or the list cannot be read, true otherwise (also when the callback stopped early).
    static bool EnumerateProcesses(ProcessCallback callback, void* context);

    // True when a running process matches; processId then holds the last match.
    bool FindProcess(const char* path, std::uint32_t mode);

    // Waits until no process matches path; false when it gave up.
    bool WaitForProcessesToEnd(const char* path, std::uint32_t pollCount,
                               std::uint32_t settleTenths, std::uint32_t mode);

    // The short (8.3) form upper-cased, or the text unchanged when there is none.
    static std::string NormalizePath(const std::string& text);

    // Executable paths read by earlier searches of this finder, by process id, with the
    // creation time of the process they were read from.
    struct KnownPath {
        std::uint64_t created = 0;
        std::string path;
    };
    using PathCache = std::map<DWORD, KnownPath>;

    std::uint32_t matchMode = 0;
    WORD task = 0;
    DWORD processId = 0;
    bool found = false;
    TextValue target;

private:
    // The enumeration, with the paths of processes still running taken from `cache` (NT
    // family) rather than read again, and the cache then left holding the listed ones.
    static bool Enumerate(ProcessCallback callback, void* context, PathCache* cache);
    static bool MatchCallback(DWORD processId, WORD task, const char* path, void* context);

    PathCache paths_;
};

// Waits until the object of a handle the caller holds (a process, a thread) is signalled,
// dispatching this thread's messages as they arrive, with no polls: the thread sleeps
// until one or the other comes. False when the handle cannot be waited for.
bool WaitDispatchingMessages(HANDLE object);

// True on the Windows NT family (GetVersionExA platform id 2).
bool IsNtPlatform();
