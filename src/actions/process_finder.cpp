#include "actions/process_finder.h"

#include <tlhelp32.h>

#include <vector>

#include "actions/process_match.h"
#include "core/handles.h"

namespace {

using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using QueryImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);

constexpr DWORD kOpenForPath = SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
// What QueryFullProcessImageNameA needs; granted also for processes whose memory this
// program may not read.
constexpr DWORD kOpenForImageName = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION
constexpr DWORD kOpenForWaitNt = SYNCHRONIZE | PROCESS_QUERY_INFORMATION;
constexpr DWORD kOpenForWait95 = PROCESS_QUERY_INFORMATION;
constexpr DWORD kFirstListBytes = 1024;
constexpr DWORD kPathBytes = 260;
constexpr DWORD kProcessEntrySize = sizeof(PROCESSENTRY32);
static_assert(sizeof(void*) != 4 || kProcessEntrySize == 296, "the system expects the 32-bit layout");

template <typename F>
F Lookup(const UniqueModule& library, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library.get(), name)));
}

// How the NT family reads a process's executable path.
struct NtPathReaders {
    EnumProcessModulesFn enumModules = nullptr;
    GetModuleFileNameExFn moduleFileName = nullptr;
    QueryImageNameFn queryImageName = nullptr;  // Vista and later
};

std::string FirstModulePath(DWORD id, const NtPathReaders& readers) {
    char path[kPathBytes];
    UniqueHandle process(OpenProcess(kOpenForPath, FALSE, id));
    if (process) {
        HMODULE module = nullptr;
        DWORD needed = 0;
        if (readers.enumModules(process.get(), &module, sizeof module, &needed)) {
            DWORD length = readers.moduleFileName(process.get(), module, path, kPathBytes);
            if (length != 0 && length < kPathBytes) return std::string(path, length);
        }
    }
    // A 64-bit process seen from this 32-bit one lists no modules, and a protected one
    // cannot be opened for reading: the system still tells their image path, in the same
    // Win32 form.
    if (!readers.queryImageName) return std::string();
    UniqueHandle limited(OpenProcess(kOpenForImageName, FALSE, id));
    if (!limited) return std::string();
    DWORD length = kPathBytes;
    if (!readers.queryImageName(limited.get(), 0, path, &length) || length == 0 ||
        length >= kPathBytes)
        return std::string();
    return std::string(path, length);
}

// When the process with this id started, or 0 when it cannot be told.
std::uint64_t CreationTime(DWORD id) {
    UniqueHandle process(OpenProcess(kOpenForImageName, FALSE, id));
    if (!process) process.reset(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id));  // before Vista
    FILETIME created = {}, exited, kernel, user;
    if (!process || !GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) return 0;
    return static_cast<std::uint64_t>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}

// The path of a listed process: from the cache while the process with that id is the one
// whose path was read (same creation time), else read and remembered. Without a cache,
// always read.
std::string ListedPath(DWORD id, const NtPathReaders& readers, ProcessFinder::PathCache* cache,
                       ProcessFinder::PathCache& seen) {
    if (!cache) return FirstModulePath(id, readers);
    std::uint64_t created = CreationTime(id);
    auto known = cache->find(id);
    if (created != 0 && known != cache->end() && known->second.created == created) {
        seen[id] = known->second;
        return known->second.path;
    }
    std::string path = FirstModulePath(id, readers);
    // A path not read (a process still starting, say) is asked again next time.
    if (created != 0 && !path.empty()) seen[id] = {created, path};
    return path;
}

bool EnumerateNt(ProcessFinder::ProcessCallback callback, void* context,
                 ProcessFinder::PathCache* cache) {
    UniqueModule psapi = LoadSystemLibrary("PSAPI.DLL");
    if (!psapi) return false;
    // VDMDBG would list 16-bit tasks, which are not reported; it is loaded where the system
    // has it, but nothing here needs it (newer systems may not ship it).
    UniqueModule vdmdbg = LoadSystemLibrary("VDMDBG.DLL");
    auto enumProcesses = Lookup<EnumProcessesFn>(psapi, "EnumProcesses");
    NtPathReaders readers;
    readers.enumModules = Lookup<EnumProcessModulesFn>(psapi, "EnumProcessModules");
    readers.moduleFileName = Lookup<GetModuleFileNameExFn>(psapi, "GetModuleFileNameExA");
    if (!enumProcesses || !readers.enumModules || !readers.moduleFileName) return false;
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    if (kernel)
        readers.queryImageName = reinterpret_cast<QueryImageNameFn>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "QueryFullProcessImageNameA")));

    std::vector<DWORD> ids;
    DWORD bytes = kFirstListBytes;
    DWORD returned = 0;
    for (;;) {
        try {
            ids.assign(bytes / sizeof(DWORD), 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (!enumProcesses(ids.data(), bytes, &returned)) return false;
        if (returned != bytes) break;
        if (bytes > 0x4000000) return false;  // no sane process list is this long
        bytes *= 2;
    }
    DWORD count = returned / sizeof(DWORD);
    ProcessFinder::PathCache seen;  // what is left of the cache: the processes listed now
    bool stopped = false;
    for (DWORD i = 0; i < count && !stopped; ++i) {
        std::string path = ListedPath(ids[i], readers, cache, seen);
        stopped = !callback(ids[i], 0, path.c_str(), context);
    }
    if (cache && !stopped) cache->swap(seen);
    return true;
}

bool Enumerate95(ProcessFinder::ProcessCallback callback, void* context) {
    UniqueModule kernel = LoadSystemLibrary("Kernel32.DLL");
    if (!kernel) return false;
    auto createSnapshot = Lookup<CreateSnapshotFn>(kernel, "CreateToolhelp32Snapshot");
    auto first = Lookup<ProcessWalkFn>(kernel, "Process32First");
    auto next = Lookup<ProcessWalkFn>(kernel, "Process32Next");
    if (!createSnapshot || !first || !next) return false;
    HANDLE raw = createSnapshot(TH32CS_SNAPPROCESS, 0);
    if (raw == INVALID_HANDLE_VALUE) return false;
    UniqueHandle snapshot(raw);
    PROCESSENTRY32 entry = {};
    entry.dwSize = kProcessEntrySize;
    for (BOOL more = first(snapshot.get(), &entry); more; more = next(snapshot.get(), &entry)) {
        entry.szExeFile[MAX_PATH - 1] = '\0';
        if (!callback(entry.th32ProcessID, 0, entry.szExeFile, context)) break;
        entry.dwSize = kProcessEntrySize;
    }
    return true;
}

// Removes and dispatches every message waiting for this thread.
void DispatchWaitingMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The wait by program path: one opened process at a time, polled for 100 ms, this
// thread's messages dispatched after each poll.
class Win32WaitSteps : public ProcessWaitSteps {
public:
    Win32WaitSteps(ProcessFinder& finder, const char* path, std::uint32_t mode)
        : finder_(finder), path_(path), mode_(mode) {}

    bool FindMatch(std::uint32_t& id) override {
        if (!finder_.FindProcess(path_, mode_)) return false;
        id = finder_.processId;
        return true;
    }
    bool OpenForWait(std::uint32_t id) override {
        process_.reset(OpenProcess(IsNtPlatform() ? kOpenForWaitNt : kOpenForWait95, FALSE, id));
        return static_cast<bool>(process_);
    }
    bool PollEnded() override { return WaitForSingleObject(process_.get(), 100) != WAIT_TIMEOUT; }
    void DispatchMessages() override { DispatchWaitingMessages(); }
    void Sleep(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }
    void CloseWait() override {
        process_.reset();
        finder_.found = false;
    }

private:
    ProcessFinder& finder_;
    const char* path_;
    std::uint32_t mode_;
    UniqueHandle process_;
};

}  // namespace

bool WaitDispatchingMessages(HANDLE object) {
    if (!object) return false;
    for (;;) {
        DWORD woke = MsgWaitForMultipleObjects(1, &object, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) return true;
        if (woke != WAIT_OBJECT_0 + 1) return false;
        // Every waiting message is taken: only messages that arrive later wake the wait.
        DispatchWaitingMessages();
    }
}

bool IsNtPlatform() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool ProcessFinder::EnumerateProcesses(ProcessCallback callback, void* context) {
    return Enumerate(callback, context, nullptr);
}

bool ProcessFinder::Enumerate(ProcessCallback callback, void* context, PathCache* cache) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return false;
    switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32_NT: return EnumerateNt(callback, context, cache);
    case VER_PLATFORM_WIN32_WINDOWS: return Enumerate95(callback, context);
    default: return false;
    }
}

std::string ProcessFinder::NormalizePath(const std::string& text) {
    char shortPath[kPathBytes];
    DWORD length = GetShortPathNameA(text.c_str(), shortPath, kPathBytes);
    if (length == 0 || length >= kPathBytes) return text;
    CharUpperA(shortPath);
    return std::string(shortPath, length);
}

bool ProcessFinder::MatchCallback(DWORD id, WORD taskNumber, const char* path, void* context) {
    auto* finder = static_cast<ProcessFinder*>(context);
    if (ProcessPathMatches(finder->target.str(), NormalizePath(path), finder->matchMode)) {
        finder->processId = id;
        finder->task = taskNumber;
        finder->found = true;
    }
    return true;  // go on: the last match in enumeration order is kept
}

bool ProcessFinder::FindProcess(const char* path, std::uint32_t mode) {
    matchMode = mode;
    task = 0;
    processId = 0;
    found = false;
    target.assign(NormalizePath(path ? path : ""));
    Enumerate(&ProcessFinder::MatchCallback, this, &paths_);
    return found;
}

bool ProcessFinder::WaitForProcessesToEnd(const char* path, std::uint32_t pollCount,
                                          std::uint32_t settleTenths, std::uint32_t mode) {
    Win32WaitSteps steps(*this, path, mode);
    return WaitUntilNoMatchLeft(steps, pollCount, settleTenths);
}
