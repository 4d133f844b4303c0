// Runs the target folder choice once in the current prefix and prints what it decided,
// for target_folder_space_test.py:
//   target_folder_probe            -> "result=<0|1> path=<path>"
//   target_folder_probe --space X  -> "available=<bytes> type=<drive type>" for X
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "actions/target_folder.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--space") == 0) {
        ULARGE_INTEGER available = {}, total = {}, free = {};
        BOOL ok = GetDiskFreeSpaceExA(argv[2], &available, &total, &free);
        std::printf("available=%llu ok=%d type=%u\n",
                    static_cast<unsigned long long>(available.QuadPart), ok ? 1 : 0,
                    GetDriveTypeA(argv[2]));
        return 0;
    }
    TargetFolder target;
    bool chosen = target.ChooseLocation();
    std::printf("result=%d path=%s\n", chosen ? 1 : 0, target.path().c_str());
    return 0;
}
