// Sample clean-up program of the package installer: it lingers for "CleanupSeconds"
// (default 3) after the package installer has ended, as a real one would while it
// removes the installer's temporary files, then exits.
#include <windows.h>

#include "package_settings.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    DWORD seconds = sample_package::SecondsSetting("CleanupSeconds", 3);
    Sleep(seconds * 1000);
    return 0;
}
