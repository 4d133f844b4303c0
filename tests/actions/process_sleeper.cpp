// Test helper: a windowless program that stays alive for the number of milliseconds on
// its command line (default 2000), then exits with code 0.
#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    long ms = std::strtol(commandLine, nullptr, 10);
    if (ms <= 0) ms = 2000;
    if (ms > 120000) ms = 120000;
    Sleep(static_cast<DWORD>(ms));
    return 0;
}
