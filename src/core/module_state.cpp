#include "core/module_state.h"

#include <new>
#include <utility>
#include <vector>

#include "core/handles.h"

namespace module {
namespace {

HINSTANCE programInstance = nullptr;
HINSTANCE resourceInstance = nullptr;
DWORD mainThreadId = 0;
HICON setupIcon = nullptr;

// Made on first use: Initialize makes it on the main thread at start-up, before any
// window exists. A function-local static is initialised once even when threads race,
// so the list is usable from any thread at any time.
struct HandOverList {
    CriticalSection lock;
    std::vector<std::pair<DWORD, void*>> entries;
    std::vector<std::pair<HWND, void*>> bound;  // the window map: a screen has a handful
};

HandOverList& List() {
    static HandOverList list;
    return list;
}

}  // namespace

void Initialize(HINSTANCE instance) {
    programInstance = instance;
    resourceInstance = instance;
    mainThreadId = GetCurrentThreadId();
    List();
}

HINSTANCE ProgramInstance() {
    return programInstance ? programInstance : GetModuleHandleA(nullptr);
}

HINSTANCE ResourceInstance() {
    return resourceInstance ? resourceInstance : ProgramInstance();
}

void SetResourceInstance(HINSTANCE instance) { resourceInstance = instance; }

DWORD MainThreadId() { return mainThreadId; }

HICON SetupIcon() { return setupIcon; }
void SetSetupIcon(HICON icon) { setupIcon = icon; }

void PushWindowObject(void* object) {
    HandOverList& list = List();
    CriticalSectionLock hold(list.lock);
    list.entries.emplace_back(GetCurrentThreadId(), object);
}

void* TakeWindowObject() {
    HandOverList& list = List();
    void* object = nullptr;
    DWORD thread = GetCurrentThreadId();
    CriticalSectionLock hold(list.lock);
    for (auto it = list.entries.end(); it != list.entries.begin();) {
        --it;
        if (it->first == thread) {
            object = it->second;
            list.entries.erase(it);
            break;
        }
    }
    return object;
}

bool BindWindow(HWND window, void* object) {
    HandOverList& list = List();
    CriticalSectionLock hold(list.lock);
    for (const auto& entry : list.bound)
        if (entry.first == window) return false;
    try {
        list.bound.emplace_back(window, object);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void* BoundObject(HWND window) {
    HandOverList& list = List();
    CriticalSectionLock hold(list.lock);
    for (const auto& entry : list.bound)
        if (entry.first == window) return entry.second;
    return nullptr;
}

void UnbindWindow(HWND window, const void* object) {
    HandOverList& list = List();
    CriticalSectionLock hold(list.lock);
    for (auto it = list.bound.begin(); it != list.bound.end(); ++it) {
        if (it->first == window) {
            if (it->second == object) list.bound.erase(it);
            return;
        }
    }
}

}  // namespace module
