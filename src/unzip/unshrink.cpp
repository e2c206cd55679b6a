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
    // The first byte of a defined code's string.
    uint8_t FirstByte(unsigned code) const {
        while (prefix[code] >= 0) code = static_cast<unsigned>(prefix[code]);
        return suffix[code];
    }
    // Writes a defined code's string; false if its chain is broken.
    bool Emit(unsigned code) {
        unsigned depth = 0;
        for (;;) {
            UNSHRINK_CHECK(depth < kMaxCodes && prefix[code] != kFreeCode);
            stack[depth++] = suffix[code];
            if (prefix[code] == kLiteral) break;
            code = static_cast<unsigned>(prefix[code]);
        }
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
    unsigned codeSize = 9, freeCode = kFirstFree;

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
        if (prefix[code] == kFreeCode) {
            // Only the code about to be defined may be used before it is:
            // the previous string plus its own first byte.
            UNSHRINK_CHECK(code == freeCode && prefix[old] != kFreeCode);
            prefix[freeCode] = static_cast<int16_t>(old);
            suffix[freeCode] = FirstByte(old);
            freeCode = NextFree(freeCode + 1);
            UNSHRINK_CHECK(Emit(code));
        } else {
            UNSHRINK_CHECK(Emit(code));
            if (freeCode < kMaxCodes && prefix[old] != kFreeCode) {
                prefix[freeCode] = static_cast<int16_t>(old);
                suffix[freeCode] = FirstByte(code);
                freeCode = NextFree(freeCode + 1);
            }
        }
        old = code;
    }
    return true;
}
