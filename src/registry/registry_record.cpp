// Parsing of registry records and the root key table.
#include "registry/registry_record.h"

#include <cstring>

#include "core/platform.h"

namespace {

struct RootKeyName {
    const char* name;
    std::uint32_t root;
};

// There is deliberately no name for HKEY_PERFORMANCE_DATA.
const RootKeyName kRootKeys[] = {
    {"HKEY_CLASSES_ROOT", kRootClassesRoot},
    {"HKEY_CURRENT_CONFIG", kRootCurrentConfig},
    {"HKEY_CURRENT_USER", kRootCurrentUser},
    {"HKEY_LOCAL_MACHINE", kRootLocalMachine},
    {"HKEY_USERS", kRootUsers},
    {"HKEY_DYN_DATA", kRootDynData},
    {"HKCR", kRootClassesRoot},
    {"HKCC", kRootCurrentConfig},
    {"HKCU", kRootCurrentUser},
    {"HKLM", kRootLocalMachine},
    {"HKU", kRootUsers},
    {"HKDD", kRootDynData},
};

const char kHexDigits[] = "0123456789abcdefABCDEF";

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// The data after "DWORD:" or "HEX:"; false for an unknown type word or no bytes.
bool ParseTypedData(const std::string& typeWord, const char* text, RecordValue& value) {
    std::string upper = platform::UpperCase(typeWord);
    if (upper == "DWORD") {
        std::uint32_t number = ParseHexNumber(text, nullptr);
        value.type = kTypeDword;
        value.data = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                      static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
        value.hasData = true;
        return true;
    }
    if (upper == "HEX") {
        std::vector<std::uint8_t> bytes;
        const char* position = text;
        while (true) {
            position += std::strcspn(position, kHexDigits);
            if (*position == '\0') break;
            const char* end = position;
            std::uint32_t number = ParseHexNumber(position, &end);
            bytes.push_back(static_cast<std::uint8_t>(number & 0xFF));
            position = end;
        }
        if (bytes.empty()) return false;
        value.type = kTypeBinary;
        value.data = std::move(bytes);
        value.hasData = true;
        return true;
    }
    return false;
}

}  // namespace

bool LookUpRootKey(const std::string& upperName, std::uint32_t& root) {
    for (const RootKeyName& entry : kRootKeys) {
        if (upperName == entry.name) {
            root = entry.root;
            return true;
        }
    }
    return false;
}

std::uint32_t ParseHexNumber(const char* text, const char** end) {
    const char* p = text;
    while (IsSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexDigitValue(p[2]) >= 0) p += 2;
    const char* digits = p;
    std::uint64_t number = 0;
    bool overflow = false;
    for (int d; (d = HexDigitValue(*p)) >= 0; ++p) {
        if (!overflow) {
            number = number * 16 + static_cast<unsigned>(d);
            if (number > 0xFFFFFFFFu) overflow = true;
        }
    }
    if (end) *end = p == digits ? text : p;
    if (overflow) return 0xFFFFFFFFu;
    std::uint32_t result = static_cast<std::uint32_t>(number);
    return negative ? 0u - result : result;
}

bool ParseRecordKey(const std::string& record, RecordKey& key) {
    std::size_t open = record.find_first_of("\"[");
    std::size_t close = record.find(']');
    if (open == std::string::npos || close == std::string::npos || open > close ||
        record[open] == '"')
        return false;
    std::string path = record.substr(open + 1, close - open - 1);
    if (path.find_first_of("\"@") != std::string::npos) return false;
    std::size_t slash = path.find('\\');
    std::string rootPart = slash == std::string::npos ? path : path.substr(0, slash);
    std::uint32_t root = 0;
    if (!LookUpRootKey(platform::UpperCase(rootPart), root)) return false;
    key.root = root;
    key.subkeyPath = slash == std::string::npos ? std::string() : path.substr(slash + 1);
    return true;
}

bool ParseRecordValue(const std::string& record, RecordValue& value) {
    value.hasData = false;
    value.type = 0;
    value.data.clear();

    std::size_t first = record.find_first_of("\"@");
    if (first == std::string::npos) return false;
    std::size_t position = first;
    if (record[first] == '"') {
        std::size_t closing = record.find('"', first + 1);
        if (closing == std::string::npos) return false;
        value.name = record.substr(first + 1, closing - first - 1);
        position = closing;
    } else {
        value.name.clear();
    }
    value.named = true;

    std::size_t equals = record.find('=', position);
    if (equals == std::string::npos) return true;
    std::size_t marker = record.find_first_of("\":", equals + 1);
    if (marker == std::string::npos) return true;

    if (record[marker] == ':') {
        std::string typeWord = record.substr(equals + 1, marker - equals - 1);
        return ParseTypedData(typeWord, record.c_str() + marker + 1, value);
    }

    std::size_t last = record.rfind('"');
    if (last == equals + 1) return false;  // unterminated string
    std::size_t start = equals + 2;
    std::string text = last > start ? record.substr(start, last - start) : std::string();
    value.type = kTypeString;
    value.data.assign(text.begin(), text.end());
    value.data.push_back('\0');
    value.hasData = true;
    return true;
}

RecordKey KeyFromPath(const std::string& path, const std::string& extra) {
    RecordKey key;
    key.root = kRootLocalMachine;
    std::string rootPart = path;
    std::size_t slash = path.find('\\');
    if (slash != std::string::npos) {
        std::string joined = extra.empty() ? path : path + "\\" + extra;
        rootPart = joined.substr(0, slash);
        key.subkeyPath = joined.substr(slash + 1);
    } else {
        key.subkeyPath = extra;
    }
    std::uint32_t root = 0;
    if (LookUpRootKey(platform::UpperCase(rootPart), root)) key.root = root;
    return key;
}

bool RecordFieldsSafe(const std::string& keyPath, const std::string& valueName) {
    return keyPath.find_first_of("\"@]") == std::string::npos &&
           valueName.find('"') == std::string::npos;
}
