// Test tool: takes resources out of a resource library, or reads and replaces one, through
// the system's resource update functions, for the broken discs of the corpus runner.
//   resource_edit.exe <library> <operation>...
//     delete:<type>:<id>          remove the resource
//     get:<type>:<id>:<file>      write its bytes to file
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

// One resource of the library as it was: its type, name and language, and its bytes.
struct Resource {
    std::string type, name;  // "#5" for a number, as the A functions take them
    WORD language = 0;
    std::vector<char> bytes;
};

std::string NameText(LPCSTR name) {
    return IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name)) : std::string(name);
}

LPCSTR NameArgument(const std::string& text) {
    return text[0] == '#' ? MAKEINTRESOURCEA(std::atoi(text.c_str() + 1)) : text.c_str();
}

struct Reading {
    std::vector<Resource>* all;
    std::string type, name;
};

BOOL CALLBACK EveryLanguage(HMODULE library, LPCSTR type, LPCSTR name, WORD language, LONG_PTR context) {
    Reading& reading = *reinterpret_cast<Reading*>(context);
    HRSRC found = FindResourceExA(library, type, name, language);
    HGLOBAL loaded = found ? LoadResource(library, found) : nullptr;
    if (!loaded) return TRUE;
    const char* bytes = static_cast<const char*>(LockResource(loaded));
    reading.all->push_back({reading.type, reading.name, language,
                            std::vector<char>(bytes, bytes + SizeofResource(library, found))});
    return TRUE;
}

BOOL CALLBACK EveryName(HMODULE library, LPCSTR type, LPSTR name, LONG_PTR context) {
    Reading& reading = *reinterpret_cast<Reading*>(context);
    reading.name = NameText(name);
    EnumResourceLanguagesA(library, type, name, EveryLanguage, context);
    return TRUE;
}

BOOL CALLBACK EveryType(HMODULE library, LPSTR type, LONG_PTR context) {
    Reading& reading = *reinterpret_cast<Reading*>(context);
    reading.type = NameText(type);
    EnumResourceNamesA(library, type, EveryName, context);
    return TRUE;
}

bool ReadBytes(const std::string& path, std::vector<char>& bytes) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return false;
    bytes.clear();
    char buffer[4096];
    std::size_t read;
    while ((read = std::fread(buffer, 1, sizeof buffer, in)) > 0) bytes.insert(bytes.end(), buffer, buffer + read);
    std::fclose(in);
    return true;
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

    // Every resource of the library, read before it is rewritten.
    HMODULE library = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!library) {
        std::fprintf(stderr, "resource_edit: cannot load %s\n", argv[1]);
        return 1;
    }
    std::vector<Resource> all;
    Reading reading{&all, {}, {}};
    EnumResourceTypesA(library, EveryType, reinterpret_cast<LONG_PTR>(&reading));
    FreeLibrary(library);

    // A resource may be there in several languages: a deletion takes every one, the other
    // operations the first.
    for (const Operation& op : operations) {
        const std::string type = "#" + std::to_string(op.type), name = "#" + std::to_string(op.id);
        bool found = false;
        for (auto it = all.begin(); it != all.end();) {
            if (it->type != type || it->name != name || (found && op.verb != "delete")) {
                ++it;
                continue;
            }
            found = true;
            if (op.verb == "delete") {
                it = all.erase(it);
                continue;
            }
            if (op.verb == "get") {
                std::FILE* out = std::fopen(op.file.c_str(), "wb");
                if (!out) return 1;
                std::fwrite(it->bytes.data(), 1, it->bytes.size(), out);
                std::fclose(out);
            } else if (!ReadBytes(op.file, it->bytes)) {
                return 1;
            }
            ++it;
        }
        if (!found && op.verb == "put") {
            all.push_back({type, name, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), {}});
            if (!ReadBytes(op.file, all.back().bytes)) return 1;
        } else if (!found) {  // a row that drops or reads nothing would test nothing
            std::fprintf(stderr, "resource_edit: no resource %u:%u\n", op.type, op.id);
            return 1;
        }
    }

    // The library is written anew with what is left: the update functions of some systems keep
    // a resource they are asked to delete, so nothing is deleted one by one.
    HANDLE update = BeginUpdateResourceA(argv[1], TRUE);
    if (!update) return 1;
    bool done = true;
    for (Resource& resource : all) {
        if (!UpdateResourceA(update, NameArgument(resource.type), NameArgument(resource.name), resource.language,
                             resource.bytes.data(), static_cast<DWORD>(resource.bytes.size()))) {
            std::fprintf(stderr, "resource_edit: writing %s:%s failed (%lu)\n", resource.type.c_str(),
                         resource.name.c_str(), GetLastError());
            done = false;
        }
    }
    if (!EndUpdateResourceA(update, !done)) return 1;
    return done ? 0 : 1;
}
