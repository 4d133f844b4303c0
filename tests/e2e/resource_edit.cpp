// Test tool: takes resources out of a resource library, or reads and replaces one, through
// the system's resource update functions, for the broken discs of the corpus runner.
//   resource_edit.exe <library> <operation>...
//     delete:<type>:<id>          remove the resource
//     get:<type>:<id>:<file>      write its bytes to file (before any change)
//     put:<type>:<id>:<file>      replace its bytes with the file's
// Types and ids are numbers (5 dialog, 2 bitmap, 6 string-table block). Exit code 0 when
// every operation was done.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Operation {
    std::string verb;
    WORD type = 0;
    WORD id = 0;
    std::string file;
};

bool ParseOperation(const std::string& text, Operation& op) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t colon = text.find(':', start);
        // The file name may hold a drive letter's colon: the fourth part takes the rest.
        if (colon == std::string::npos || parts.size() == 3) {
            parts.push_back(text.substr(start));
            break;
        }
        parts.push_back(text.substr(start, colon - start));
        start = colon + 1;
    }
    if (parts.size() < 3) return false;
    op.verb = parts[0];
    op.type = static_cast<WORD>(std::atoi(parts[1].c_str()));
    op.id = static_cast<WORD>(std::atoi(parts[2].c_str()));
    if (parts.size() == 4) op.file = parts[3];
    return op.verb == "delete" ? parts.size() == 3 : parts.size() == 4 && (op.verb == "get" || op.verb == "put");
}

BOOL CALLBACK EveryLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
    reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: resource_edit <library> delete:T:I | get:T:I:file | put:T:I:file ...\n");
        return 2;
    }
    std::vector<Operation> operations;
    for (int i = 2; i < argc; ++i) {
        Operation op;
        if (!ParseOperation(argv[i], op)) {
            std::fprintf(stderr, "resource_edit: bad operation %s\n", argv[i]);
            return 2;
        }
        operations.push_back(op);
    }

    // Languages and current bytes, read before the library is rewritten.
    HMODULE library = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!library) {
        std::fprintf(stderr, "resource_edit: cannot load %s\n", argv[1]);
        return 1;
    }
    // A resource may be there in several languages: a deletion takes every one, the other
    // operations the first.
    std::vector<std::vector<WORD>> languages;
    for (const Operation& op : operations) {
        std::vector<WORD> present;
        EnumResourceLanguagesA(library, MAKEINTRESOURCEA(op.type), MAKEINTRESOURCEA(op.id),
                               EveryLanguage, reinterpret_cast<LONG_PTR>(&present));
        if (present.empty()) present.push_back(MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
        if (op.verb != "delete") present.resize(1);
        languages.push_back(present);
        if (op.verb != "get") continue;
        HRSRC found = FindResourceExA(library, MAKEINTRESOURCEA(op.type), MAKEINTRESOURCEA(op.id),
                                      languages.back()[0]);
        HGLOBAL loaded = found ? LoadResource(library, found) : nullptr;
        if (!loaded) {
            std::fprintf(stderr, "resource_edit: no resource %u:%u\n", op.type, op.id);
            FreeLibrary(library);
            return 1;
        }
        std::FILE* out = std::fopen(op.file.c_str(), "wb");
        if (!out) return 1;
        std::fwrite(LockResource(loaded), 1, SizeofResource(library, found), out);
        std::fclose(out);
    }
    FreeLibrary(library);

    HANDLE update = BeginUpdateResourceA(argv[1], FALSE);
    if (!update) return 1;
    bool done = true;
    for (std::size_t i = 0; i < operations.size(); ++i) {
        const Operation& op = operations[i];
        if (op.verb == "get") continue;
        std::vector<char> bytes;
        if (op.verb == "put") {
            std::FILE* in = std::fopen(op.file.c_str(), "rb");
            if (!in) return 1;
            char buffer[4096];
            std::size_t read;
            while ((read = std::fread(buffer, 1, sizeof buffer, in)) > 0) bytes.insert(bytes.end(), buffer, buffer + read);
            std::fclose(in);
        }
        for (WORD language : languages[i]) {
            if (!UpdateResourceA(update, MAKEINTRESOURCEA(op.type), MAKEINTRESOURCEA(op.id), language,
                                 bytes.empty() ? nullptr : bytes.data(), static_cast<DWORD>(bytes.size()))) {
                std::fprintf(stderr, "resource_edit: %s %u:%u failed (%lu)\n", op.verb.c_str(), op.type,
                             op.id, GetLastError());
                done = false;
            }
        }
    }
    if (!EndUpdateResourceA(update, !done)) return 1;
    return done ? 0 : 1;
}
