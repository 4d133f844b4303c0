// disccheck.exe [--json] DISC_FOLDER...: what the set-up on each disc shows each user and
// what is wrong with it. disccheck.exe [--json] --pictures OUT DISC_FOLDER: the same for one
// disc, and its preview in OUT (index.html and pictures of every screen each user sees).
// Exit code 0 without errors, 1 with errors, 2 when a disc cannot be read, the command line
// is wrong or the preview cannot be written.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/handles.h"
#include "disccheck/disc_check.h"
#include "disccheck/disc_preview.h"

namespace {

void Write(FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

}  // namespace

int main(int argc, char** argv) {
    bool json = false;
    const char* pictures = nullptr;
    std::vector<const char*> folders;
    bool usage = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0 && !json && folders.empty()) {
            json = true;
        } else if (std::strcmp(argv[i], "--pictures") == 0 && !pictures && folders.empty() && i + 1 < argc) {
            pictures = argv[++i];
        } else if (argv[i][0] != '-') {
            folders.push_back(argv[i]);
        } else {
            usage = true;
        }
    }
    if (usage || folders.empty() || (pictures && (folders.size() != 1 || !*pictures))) {
        Write(stderr, "usage: disccheck [--json] DISC_FOLDER [DISC_FOLDER...]\n"
                      "       disccheck [--json] --pictures OUT_FOLDER DISC_FOLDER\n");
        return 2;
    }
    ComScope com;  // the setup description is read through the XML component
    // Several discs are checked one after the other; the exit code is the worst of them.
    int worst = 0;
    std::vector<std::string> reports;
    for (const char* folder : folders) {
        DiscReport report;
        std::string why;
        if (!CheckDisc(folder, report, why)) {
            Write(stderr, "disccheck: " + why + "\n");
            worst = 2;
            continue;
        }
        reports.push_back(json ? report.Json() : report.Text());
        worst = std::max(worst, report.ExitCode());
        std::string page;
        if (pictures && !WritePreview(report, pictures, page, why)) {
            Write(stderr, "disccheck: " + why + "\n");
            worst = 2;
        } else if (pictures) {
            Write(stderr, "disccheck: preview in " + page + "\n");
        }
    }
    // One disc gives one report (one JSON object); several give them in order (a JSON array).
    bool array = json && folders.size() > 1;
    std::string out = array ? "[\n" : "";
    for (std::size_t i = 0; i < reports.size(); ++i) {
        out += (i ? (json ? ",\n" : "\n") : "") + reports[i];
    }
    Write(stdout, out + (array ? "]\n" : ""));
    return worst;
}
