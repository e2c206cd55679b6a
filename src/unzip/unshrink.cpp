// Unshrink: dynamic LZW with codes of 9 to 13 bits. Code 256 announces a
// subcode: 1 widens the codes by one bit, 2 frees every code that is no
// prefix of another (a partial clear). New strings take the lowest free code.
#include <cstring>

#include "unzip/bit_reader.h"
#include "unzip/legacy.h"
#include "unzip/output_window.h"

#define UNSHRINK_CHECK(condition) \
    do {                          \
        if (!(condition)) return false; \
    } while (0)

namespace {

constexpr unsigned kMaxCodes = 8192;
constexpr unsigned kFirstFree = 257;
constexpr unsigned kControl = 256;
constexpr int16_t kFreeCode = -1;
constexpr int16_t kLiteral = -2;  // codes 0 to 255: their own byte, no prefix

}  // namespace

struct TUnshrinker::State {
    int16_t prefix[kMaxCodes];
    uint8_t suffix[kMaxCodes];
    uint8_t stack[kMaxCodes];
    bool hasChild[kMaxCodes];
    TBitReader r;
    TOutputWindow w;

    // Real bits left (the reader pads zeros after the data).
    unsigned RealBits() {
        r.Pull(13);
        return r.count - r.padBits;
    }
    // Writes a code's string and gives its first byte; false when its chain
    // runs through a free code or round in a circle (no string is longer
    // than the table), which only corrupt data makes. The chain may pass
    // through the code about to be defined, whose last byte is not known
    // yet: it is this string's first byte.
    bool Emit(unsigned code, uint8_t& first) {
        unsigned depth = 0, pending = kMaxCodes;
        for (;;) {
            UNSHRINK_CHECK(depth < kMaxCodes && prefix[code] != kFreeCode);
            if (code == freeCode) pending = depth;
            stack[depth++] = suffix[code];
            if (prefix[code] == kLiteral) break;
            code = static_cast<unsigned>(prefix[code]);
        }
        first = stack[depth - 1];
        if (pending < kMaxCodes) stack[pending] = first;
        while (depth > 0) w.Byte(stack[--depth]);
        return true;
    }
    void PartialClear() {
        std::memset(hasChild, 0, sizeof hasChild);
        for (unsigned c = kFirstFree; c < kMaxCodes; ++c)
            if (prefix[c] >= 0) hasChild[prefix[c]] = true;
        for (unsigned c = kFirstFree; c < kMaxCodes; ++c)
            if (prefix[c] != kFreeCode && !hasChild[c]) prefix[c] = kFreeCode;
    }
    unsigned NextFree(unsigned from) const {
        while (from < kMaxCodes && prefix[from] != kFreeCode) ++from;
        return from;
    }
    bool Run();

    unsigned freeCode = kFirstFree;
};

TUnshrinker::TUnshrinker() = default;
TUnshrinker::~TUnshrinker() = default;

bool TUnshrinker::Unshrink(TByteSource& source, TByteSink& sink) {
    if (!state_) state_ = std::make_unique<State>();
    State& s = *state_;
    s.r.Begin(source);
    s.w.Begin(sink, false);
    const bool ok = s.Run();
    s.w.Flush(true);
    return ok;
}

bool TUnshrinker::State::Run() {
    for (unsigned c = 0; c < 256; ++c) {
        prefix[c] = kLiteral;
        suffix[c] = static_cast<uint8_t>(c);
    }
    for (unsigned c = 256; c < kMaxCodes; ++c) prefix[c] = kFreeCode;
    unsigned codeSize = 9;
    freeCode = kFirstFree;

    uint32_t code;
    if (RealBits() < codeSize) return true;  // no data: an empty entry
    UNSHRINK_CHECK(r.Take(codeSize, code) && code < 256);  // the first code is a literal
    w.Byte(static_cast<uint8_t>(code));
    unsigned old = code;

    // The data ends when fewer bits than a code are left.
    while (RealBits() >= codeSize) {
        UNSHRINK_CHECK(r.Take(codeSize, code));
        if (code == kControl) {
            uint32_t subcode;
            UNSHRINK_CHECK(r.Take(codeSize, subcode));
            if (subcode == 1) {
                UNSHRINK_CHECK(codeSize < 13);
                ++codeSize;
            } else if (subcode == 2) {
                PartialClear();
                freeCode = NextFree(kFirstFree);
            } else {
                return false;
            }
            continue;
        }
        // The next new string is the previous one plus this one's first
        // byte, at the lowest free code. The encoder may already have used it
        // inside this string (as the code itself, or as the prefix of a code
        // defined with a freed prefix that it took over), so it is linked
        // before decoding. The previous code may itself have been freed by a
        // clear just before, or be that lowest free code: the encoder takes
        // it as prefix all the same, and skipping it would shift every later
        // code; only a string through it would be corrupt.
        const bool defining = freeCode < kMaxCodes;
        if (defining) prefix[freeCode] = static_cast<int16_t>(old);
        uint8_t first;
        UNSHRINK_CHECK(Emit(code, first));
        if (defining) {
            suffix[freeCode] = first;
            freeCode = NextFree(freeCode + 1);
        }
        old = code;
    }
    return true;
}
