// What a disc check decides from bytes and names alone: bitmap and clip headers, licence
// text bytes, error page keys, likely misspellings and paths that leave the disc.
// No window system here; the Win32 side reads the files and resources and passes them in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/product.h"

// The header of a device-independent bitmap as a bitmap resource holds it (no file
// header). problem is empty when the screens can draw it.
struct DibFacts {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::string problem;
};
DibFacts ReadDibFacts(const std::string& bytes);
// "uncompressed", "RLE8", ...
std::string CompressionName(std::uint32_t compression);

// An animation clip: the animation control plays one video stream, uncompressed or RLE8,
// and no clip with sound. problem is empty when it can play it.
struct ClipFacts {
    int width = 0;
    int height = 0;
    std::uint32_t frames = 0;
    std::uint32_t compression = 0;
    std::string problem;
};
ClipFacts ReadClipFacts(const std::string& bytes);

// The headers of a Windows program or library: "MZ", the offset at 0x3C of the "PE\0\0"
// signature, and the file header after it. isImage is false for anything else, also when
// the offset points past the end.
struct ImageFacts {
    bool isImage = false;
    std::uint16_t machine = 0;          // the processor it is built for (0x14C: 32-bit x86)
    std::uint16_t characteristics = 0;  // 0x2000: a library, not a program
    bool IsLibrary() const { return (characteristics & 0x2000) != 0; }
};
ImageFacts ReadImageFacts(const std::string& bytes);

// The licence screen reads at most this many bytes; the rest is cut.

// Faults of a licence text that any reader shows wrongly (code page checks are separate).
std::vector<std::string> LicenceByteProblems(const std::string& bytes);
// True when the text holds multi-byte UTF-8 sequences and nothing that is not UTF-8:
// shown in a single-byte code page it turns into letter salad.
bool LooksLikeUtf8(const std::string& bytes);
// Offset of the first byte that code page 1252 leaves undefined, or npos.
std::size_t FirstUndefinedIn1252(const std::string& bytes);

// How an ERROR_PAGE "KEY" fares: the key it is stored under, whether a result code the
// set-up reports can ever be looked up under it, and why not.
struct ErrorPageKeyFacts {
    std::string stored;
    bool canMatch = false;
    bool setupReportsIt = false;  // 0x806D0100 or 0x806D0101
    std::string why;
};
ErrorPageKeyFacts ClassifyErrorPageKey(const std::string& key);

// The known name closest to name (edit distance, case ignored); empty when none is given.
// distance receives the edit distance of the names compared without case.
std::string ClosestName(const std::string& name, const std::vector<std::string>& known,
                        std::size_t* distance = nullptr);
// Whether an unknown name is most likely a misspelling of the closest known one.
bool LikelyMisspelling(const std::string& name, const std::string& closest, std::size_t distance);

// Whether a file name of the description leaves the disc: a drive or network name, or a
// resolved path outside discFolder (compared without case).
bool LeavesDisc(const std::string& discFolder, const std::string& name, const std::string& resolved);

// Whether entry index (0 to 15) of a string-table block resource is present and not empty,
// as LoadStringA finds it.
bool StringBlockHasEntry(const std::string& block, unsigned index);
