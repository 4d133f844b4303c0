// disccheck.exe [--json] DISC_FOLDER: what the set-up on that disc shows each user and what
// is wrong with it. Exit code 0 without errors, 1 with errors, 2 when the disc cannot be read.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/handles.h"
#include "disccheck/disc_check.h"

namespace {

void Write(FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

}  // namespace

int main(int argc, char** argv) {
    bool json = false;
    const char* folder = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0 && !json) {
            json = true;
        } else if (!folder && argv[i][0] != '-') {
            folder = argv[i];
        } else {
            folder = nullptr;
            break;
        }
    }
    if (!folder) {
        Write(stderr, "usage: disccheck [--json] DISC_FOLDER\n");
        return 2;
    }
    ComScope com;  // the setup description is read through the XML component
    DiscReport report;
    std::string why;
    if (!CheckDisc(folder, report, why)) {
        Write(stderr, "disccheck: " + why + "\n");
        return 2;
    }
    Write(stdout, json ? report.Json() : report.Text());
    return report.ExitCode();
}
