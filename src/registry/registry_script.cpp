#include "registry/registry_script.h"

#include <cctype>
#include <cstddef>

namespace {

const char kHeader4[] = "REGEDIT4";
const char kHeader5[] = "Windows Registry Editor Version 5.00";
const char* const kRootNames[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT",
                                  "HKEY_USERS", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};

// UTF-16 little-endian text to single bytes; characters beyond one byte become '?', which
// is enough to read names, brackets and data forms.
std::string NarrowFromUtf16(const std::string& bytes, std::size_t start) {
    std::string text;
    for (std::size_t i = start; i + 1 < bytes.size(); i += 2) {
        unsigned code = static_cast<unsigned char>(bytes[i]) |
                        (static_cast<unsigned char>(bytes[i + 1]) << 8);
        text += code < 0x100 ? static_cast<char>(code) : '?';
    }
    return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string Trimmed(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::string();
    std::size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// A quoted text starting at text[pos] (the opening quote); pos ends past the closing one.
bool ReadQuoted(const std::string& text, std::size_t& pos, std::string& out) {
    if (pos >= text.size() || text[pos] != '"') return false;
    out.clear();
    for (++pos; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c == '\\' && pos + 1 < text.size()) {
            out += text[++pos];
        } else if (c == '"') {
            ++pos;
            return true;
        } else {
            out += c;
        }
    }
    return false;
}

// "hex:" or "hex(N):" data: bytes of two hex digits separated by commas.
bool ValidHexData(const std::string& data) {
    std::size_t colon = data.find(':');
    std::string kind = data.substr(0, colon);
    if (kind != "hex") {
        if (kind.size() < 6 || kind.compare(0, 4, "hex(") != 0 || kind.back() != ')') return false;
        for (std::size_t i = 4; i + 1 < kind.size(); ++i) {
            if (!IsHex(kind[i])) return false;
        }
    }
    std::string bytes = Trimmed(data.substr(colon + 1));
    if (!bytes.empty() && bytes.back() == ',') bytes.pop_back();  // a trailing comma is allowed
    if (bytes.empty()) return true;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = bytes.find(',', start);
        std::string piece = Trimmed(bytes.substr(start, comma == std::string::npos ? std::string::npos
                                                                                   : comma - start));
        if (piece.empty() || piece.size() > 2 || !IsHex(piece[0]) ||
            (piece.size() == 2 && !IsHex(piece[1]))) {
            return false;
        }
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

// The data after "=": a quoted string, dword:XXXXXXXX, hex data or "-" (delete).
bool ValidData(const std::string& data) {
    if (data == "-") return true;
    if (!data.empty() && data[0] == '"') {
        std::size_t pos = 0;
        std::string text;
        return ReadQuoted(data, pos, text) && Trimmed(data.substr(pos)).empty();
    }
    if (data.compare(0, 6, "dword:") == 0) {
        std::string digits = data.substr(6);
        if (digits.empty() || digits.size() > 8) return false;
        for (char c : digits) {
            if (!IsHex(c)) return false;
        }
        return true;
    }
    if (data.compare(0, 3, "hex") == 0 && data.find(':') != std::string::npos) return ValidHexData(data);
    return false;
}

// The editor takes the full root names in any case, not the short forms (HKLM).
bool KnownRoot(const std::string& path) {
    std::string root = path.substr(0, path.find('\\'));
    for (char& c : root) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* name : kRootNames) {
        if (root == name) return true;
    }
    return false;
}

}  // namespace

RegistryScript ParseRegistryScript(const std::string& bytes) {
    RegistryScript script;
    std::string text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text = NarrowFromUtf16(bytes, 2);
    } else {
        text = bytes;
    }
    std::vector<std::string> lines = SplitLines(text);

    std::size_t index = 0;
    while (index < lines.size() && Trimmed(lines[index]).empty()) ++index;
    if (index == lines.size()) return script;
    std::string header = Trimmed(lines[index]);
    if (header != kHeader4 && header != kHeader5) return script;
    script.recognised = true;

    RegistryScriptKey* current = nullptr;
    for (++index; index < lines.size(); ++index) {
        const std::size_t lineNumber = index + 1;
        std::string line = Trimmed(lines[index]);
        // Hex data goes on over lines that end in a backslash.
        while (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos &&
               index + 1 < lines.size()) {
            line.pop_back();
            line += Trimmed(lines[++index]);
        }
        auto problem = [&](const std::string& what) {
            script.problems.push_back("line " + std::to_string(lineNumber) + ": " + what);
        };
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            std::size_t close = line.rfind(']');
            if (close == std::string::npos) {
                problem("key line without its closing bracket");
                current = nullptr;
                continue;
            }
            RegistryScriptKey key;
            key.path = line.substr(1, close - 1);
            if (!key.path.empty() && key.path[0] == '-') {
                key.deleted = true;
                key.path.erase(0, 1);
            }
            if (!KnownRoot(key.path)) {
                problem("key \"" + key.path + "\" does not begin with a root key name such as HKEY_LOCAL_MACHINE");
                current = nullptr;
                continue;
            }
            script.keys.push_back(key);
            current = &script.keys.back();
            continue;
        }
        std::string name;
        std::size_t pos = 0;
        if (line[0] == '@') {
            name = "@";
            pos = 1;
        } else if (!ReadQuoted(line, pos, name)) {
            problem("neither a key, a value nor a comment: " + line);
            continue;
        }
        std::size_t equals = line.find_first_not_of(" \t", pos);
        if (equals == std::string::npos || line[equals] != '=') {
            problem("value \"" + name + "\" without \"=\" and data");
            continue;
        }
        std::string data = Trimmed(line.substr(equals + 1));
        if (!ValidData(data)) {
            problem("value \"" + name + "\" has data the registry editor cannot read: " + data);
            continue;
        }
        if (!current) {
            problem("value \"" + name + "\" outside any key");
            continue;
        }
        current->values.push_back(name);
    }
    return script;
}
