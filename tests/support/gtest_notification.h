// GoogleTest's Notification over a Win32 event, for the Windows build. The C++ library of
// MinGW's win32 thread model (GCC 12) has no std::mutex, on which GoogleTest builds its own;
// only GoogleTest's thread helpers use it. cmake/Testing.cmake puts this header first in
// GoogleTest and every test program. No <windows.h> here: the declarations below are the
// system's own, so that a later <windows.h> agrees with them.
#pragma once

#ifdef __cplusplus
#ifdef __i386__
#define ORTK_GTEST_WINAPI __stdcall
#else
#define ORTK_GTEST_WINAPI
#endif
extern "C" {
struct _SECURITY_ATTRIBUTES;
__declspec(dllimport) void* ORTK_GTEST_WINAPI CreateEventA(struct _SECURITY_ATTRIBUTES*, int,
                                                           int, const char*);
__declspec(dllimport) int ORTK_GTEST_WINAPI SetEvent(void*);
__declspec(dllimport) unsigned long ORTK_GTEST_WINAPI WaitForSingleObject(void*, unsigned long);
__declspec(dllimport) int ORTK_GTEST_WINAPI CloseHandle(void*);
}
#undef ORTK_GTEST_WINAPI

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : event_(CreateEventA(nullptr, 1, 0, nullptr)) {}
    ~Notification() {
        if (event_) CloseHandle(event_);
    }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, 0xFFFFFFFFul); }

private:
    void* event_;
};

}  // namespace internal
}  // namespace testing

#define GTEST_HAS_NOTIFICATION_ 1
#endif
