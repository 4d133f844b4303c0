// Registry scripts (".REG" files) as the registry editor imports them: a header line, key
// lines in brackets and value lines below them. Portable parsing only: what the script
// writes and which lines the editor would refuse.
#pragma once

#include <string>
#include <vector>

struct RegistryScriptKey {
    std::string path;                 // as written between the brackets, without a leading "-"
    bool deleted = false;             // "[-KEY]": the key is removed, not written
    std::vector<std::string> values;  // value names written below it ("@" for the default)
};

struct RegistryScript {
    bool recognised = false;  // the header names a registry script
    std::vector<RegistryScriptKey> keys;
    std::vector<std::string> problems;  // "line N: what is wrong"
};

// Parses the bytes of a script: ANSI text after "REGEDIT4", or text after "Windows
// Registry Editor Version 5.00" in UTF-16 (little-endian, with its byte-order mark) or
// ANSI. A script without a known header is not recognised and nothing else is read.
RegistryScript ParseRegistryScript(const std::string& bytes);
