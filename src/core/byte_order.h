// Little-endian numbers in stored bytes: registry DWORDs and the fields of file headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The 16 or 32-bit number in the first bytes at `bytes`, least significant byte first.
inline std::uint16_t LittleEndian16(const unsigned char* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}
inline std::uint32_t LittleEndian32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// The same at offset `at` of a file's bytes; 0 where the field does not fit in them.
inline std::uint16_t LittleEndian16At(const std::string& bytes, std::size_t at) {
    if (at > bytes.size() || bytes.size() - at < 2) return 0;
    return LittleEndian16(reinterpret_cast<const unsigned char*>(bytes.data() + at));
}
inline std::uint32_t LittleEndian32At(const std::string& bytes, std::size_t at) {
    if (at > bytes.size() || bytes.size() - at < 4) return 0;
    return LittleEndian32(reinterpret_cast<const unsigned char*>(bytes.data() + at));
}
