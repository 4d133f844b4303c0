#include "disccheck/disc_rules.h"

#include <algorithm>
#include <cctype>

#include "core/byte_order.h"
#include "core/product.h"
#include "description/setup_description.h"

namespace {

constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

std::string CompressionName(std::uint32_t compression) {
    switch (compression) {
    case kBiRgb: return "uncompressed";
    case kBiRle8: return "RLE8";
    case kBiRle4: return "RLE4";
    case kBiBitfields: return "bit fields";
    default: return "compression " + std::to_string(compression);
    }
}

DibFacts ReadDibFacts(const std::string& b) {
    DibFacts facts;
    std::uint32_t headerSize = LittleEndian32At(b, 0);
    if (b.size() < 12 || (headerSize != 12 && headerSize < 40) || headerSize > b.size()) {
        facts.problem = "not a bitmap (no bitmap header)";
        return facts;
    }
    std::size_t paletteEntrySize = 4;
    std::uint32_t colorsUsed = 0;
    std::int32_t height = 0;
    if (headerSize == 12) {  // BITMAPCOREHEADER
        facts.width = LittleEndian16At(b, 4);
        height = static_cast<std::int16_t>(LittleEndian16At(b, 6));
        facts.bitCount = LittleEndian16At(b, 10);
        paletteEntrySize = 3;
    } else {
        facts.width = static_cast<std::int32_t>(LittleEndian32At(b, 4));
        height = static_cast<std::int32_t>(LittleEndian32At(b, 8));
        facts.bitCount = LittleEndian16At(b, 14);
        facts.compression = LittleEndian32At(b, 16);
        colorsUsed = LittleEndian32At(b, 32);
    }
    facts.height = height < 0 ? -height : height;
    const int bits = facts.bitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        facts.problem = std::to_string(bits) + " bits per pixel";
        return facts;
    }
    bool compressionFits = facts.compression == kBiRgb ||
                           (facts.compression == kBiRle8 && bits == 8) ||
                           (facts.compression == kBiRle4 && bits == 4) ||
                           (facts.compression == kBiBitfields && (bits == 16 || bits == 32));
    if (!compressionFits) {
        facts.problem = CompressionName(facts.compression) + " at " + std::to_string(bits) +
                        " bits per pixel, which a bitmap resource cannot hold";
        return facts;
    }
    if ((facts.compression == kBiRle8 || facts.compression == kBiRle4) && height < 0) {
        facts.problem = "a top-down run-length bitmap, which Windows does not draw";
        return facts;
    }
    if (facts.width <= 0 || facts.height == 0) {
        facts.problem = "empty bitmap";
        return facts;
    }
    std::size_t colors = colorsUsed ? colorsUsed : (bits <= 8 ? (std::size_t{1} << bits) : 0);
    std::size_t offset = headerSize + colors * paletteEntrySize;
    if (facts.compression == kBiBitfields && headerSize == 40) offset += 12;
    if (offset > b.size()) {
        facts.problem = "its colour table is cut short";
        return facts;
    }
    std::size_t needed = 0;
    if (facts.compression == kBiRgb || facts.compression == kBiBitfields) {
        std::size_t stride = ((static_cast<std::size_t>(facts.width) * bits + 31) / 32) * 4;
        needed = stride * static_cast<std::size_t>(facts.height);
    } else {
        needed = LittleEndian32At(b, 20);  // biSizeImage: the run-length data
    }
    if (b.size() - offset < needed) facts.problem = "its pixels are cut short";
    return facts;
}

ClipFacts ReadClipFacts(const std::string& b) {
    ClipFacts facts;
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "AVI ") != 0) {
        facts.problem = "not an AVI clip";
        return facts;
    }
    bool haveMainHeader = false, haveFrames = false;
    int videoStreams = 0, audioStreams = 0, otherStreams = 0;
    std::string lastType;
    // Walk the chunks; "LIST" chunks are entered (their four-byte list type skipped),
    // except the frame data.
    std::size_t pos = 12;
    std::size_t end = std::min<std::size_t>(b.size(), 8 + static_cast<std::size_t>(LittleEndian32At(b, 4)));
    while (pos + 8 <= end) {
        std::string id = b.substr(pos, 4);
        std::size_t size = LittleEndian32At(b, pos + 4);
        std::size_t data = pos + 8;
        if (id == "LIST" && data + 4 <= end) {
            std::string listType = b.substr(data, 4);
            if (listType == "movi") {
                haveFrames = true;
                pos = data + ((size + 1) & ~std::size_t{1});
            } else {
                pos = data + 4;  // step into the list
            }
            continue;
        }
        if (id == "avih" && size >= 40 && data + 40 <= b.size()) {
            haveMainHeader = true;
            facts.frames = LittleEndian32At(b, data + 16);
        } else if (id == "strh" && size >= 8 && data + 8 <= b.size()) {
            lastType = b.substr(data, 4);
            if (lastType == "vids") ++videoStreams;
            else if (lastType == "auds") ++audioStreams;
            else ++otherStreams;
        } else if (id == "strf" && lastType == "vids" && size >= 40 && data + 40 <= b.size()) {
            DibFacts frame = ReadDibFacts(b.substr(data, size));
            facts.width = frame.width;
            facts.height = frame.height;
            facts.compression = LittleEndian32At(b, data + 16);
            if (facts.compression != kBiRgb && !(facts.compression == kBiRle8 && frame.bitCount == 8)) {
                facts.problem = "its frames are " +
                                (facts.compression > 0xFFFF ? "compressed with " + b.substr(data + 16, 4)
                                                            : CompressionName(facts.compression)) +
                                "; the animation control plays only uncompressed or RLE8 frames";
            }
        }
        pos = data + ((size + 1) & ~std::size_t{1});
    }
    if (!haveMainHeader) facts.problem = "no AVI main header";
    else if (audioStreams) facts.problem = "it has sound, which the animation control cannot play";
    else if (videoStreams != 1 || otherStreams) facts.problem = "the animation control plays one video stream and nothing else";
    else if (!haveFrames || facts.frames == 0) facts.problem = "it has no frames";
    return facts;
}

ImageFacts ReadImageFacts(const std::string& b) {
    ImageFacts facts;
    constexpr std::size_t kSignatureAndFileHeader = 4 + 20;
    if (b.size() < 0x40 || b.compare(0, 2, "MZ") != 0) return facts;
    std::size_t pe = LittleEndian32At(b, 0x3C);
    if (pe > b.size() || b.size() - pe < kSignatureAndFileHeader ||
        b.compare(pe, 4, std::string("PE\0\0", 4)) != 0)
        return facts;
    facts.isImage = true;
    facts.machine = LittleEndian16At(b, pe + 4);
    facts.characteristics = LittleEndian16At(b, pe + 22);
    return facts;
}

std::vector<std::string> LicenceByteProblems(const std::string& bytes) {
    std::vector<std::string> problems;
    if (bytes.size() > kLicenceLimit) {
        problems.push_back(std::to_string(bytes.size()) + " bytes: the licence screen shows the first " +
                           std::to_string(kLicenceLimit) + " and cuts the rest");
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        problems.push_back("begins with a UTF-8 byte-order mark, shown as stray letters");
    } else if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0) {
        problems.push_back("is UTF-16 text (byte-order mark), which the licence screen cannot show");
    }
    std::size_t nul = bytes.find('\0');
    if (nul != std::string::npos && problems.size() < 2 &&
        !(bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0)) {
        problems.push_back("NUL byte at offset " + std::to_string(nul) + ": the text ends there");
    }
    return problems;
}

bool LooksLikeUtf8(const std::string& bytes) {
    bool multiByte = false;
    // A byte-order mark is reported on its own; the text after it decides.
    std::size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    for (std::size_t i = start; i < bytes.size();) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        std::size_t extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 9;
        if (extra == 9 || c == 0xC0 || c == 0xC1) return false;
        if (i + extra >= bytes.size() + (extra ? 0 : 1)) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        }
        if (extra) multiByte = true;
        i += extra + 1;
    }
    return multiByte;
}

std::size_t FirstUndefinedIn1252(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) return i;
    }
    return std::string::npos;
}

ErrorPageKeyFacts ClassifyErrorPageKey(const std::string& key) {
    ErrorPageKeyFacts facts;
    facts.stored = ErrorPageKey(key);
    // Codes are looked up as "0X" and eight upper-case digits: only negative codes open a
    // page, so the first digit is 8 or more.
    const std::string& s = facts.stored;
    bool hexForm = s.size() > 2 && s.compare(0, 2, "0X") == 0 &&
                   std::all_of(s.begin() + 2, s.end(), IsHexDigit);
    if (s == "DEFAULT") {
        facts.why = "\"" + key + "\" is not DEFAULT in capitals, so it stands for no code";
    } else if (hexForm && s.size() > 3 && s[2] == '0') {
        facts.why = "leading zero: codes are looked up without one";
    } else if (!hexForm || s.size() > 10) {
        facts.why = "not a result code (\"0x\" and hexadecimal digits, or DEFAULT)";
    } else if (s.size() < 10 || s[2] < '8') {
        facts.why = "not a failure code: no error page opens for it";
    } else {
        facts.canMatch = true;
    }
    facts.setupReportsIt = facts.canMatch && (s == ErrorPageKeyForCode(SETUP_E_DEFAULT) ||
                                              s == ErrorPageKeyForCode(SETUP_E_NO_RIGHTS));
    return facts;
}

std::string ClosestName(const std::string& name, const std::vector<std::string>& known,
                        std::size_t* distance) {
    std::string best;
    std::size_t bestDistance = std::string::npos;
    for (const std::string& candidate : known) {
        std::size_t d = EditDistance(Lower(name), Lower(candidate));
        if (d < bestDistance) {
            bestDistance = d;
            best = candidate;
        }
    }
    if (distance) *distance = bestDistance;
    return best;
}

bool LikelyMisspelling(const std::string& name, const std::string& closest, std::size_t distance) {
    if (closest.empty()) return false;
    // Same name in another case, or at most two letters off in a name long enough to say so.
    return distance == 0 || (distance <= 2 && std::min(name.size(), closest.size()) >= 4);
}

bool LeavesDisc(const std::string& discFolder, const std::string& name, const std::string& resolved) {
    if (name.find(':') != std::string::npos) return true;
    if (name.size() >= 2 && (name[0] == '\\' || name[0] == '/') && (name[1] == '\\' || name[1] == '/'))
        return true;
    std::string root = Lower(discFolder);
    if (!root.empty() && root.back() != '\\') root += '\\';
    return Lower(resolved).compare(0, root.size(), root) != 0;
}

bool StringBlockHasEntry(const std::string& block, unsigned index) {
    std::size_t pos = 0;
    for (unsigned i = 0; i < 16; ++i) {
        if (pos + 2 > block.size()) return false;
        std::size_t length = LittleEndian16At(block, pos);
        if (i == index) return length > 0 && pos + 2 + length * 2 <= block.size();
        pos += 2 + length * 2;
    }
    return false;
}
