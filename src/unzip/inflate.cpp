#include "unzip/inflate.h"

#include <cstring>

#include "unzip/bit_reader.h"
#include "unzip/huffman.h"
#include "unzip/output_window.h"

// Every check of hostile input goes through this one construct, so that a
// reviewer finds all of them with one search: on failure decoding stops.
#define INFLATE_CHECK(condition) \
    do {                         \
        if (!(condition)) return false; \
    } while (0)

namespace {

using namespace huffman;

constexpr unsigned kMaxCodeBits = 15;
constexpr unsigned kLitLenRootBits = 10;
constexpr unsigned kDistRootBits = 8;
constexpr unsigned kCodeLenRootBits = 7;
constexpr unsigned kNumLitLen = 288;
constexpr unsigned kNumDist = 32;
constexpr unsigned kNumCodeLen = 19;
constexpr size_t kLitLenTableSize = TableSize(kLitLenRootBits, kMaxCodeBits, kNumLitLen);
constexpr size_t kDistTableSize = TableSize(kDistRootBits, kMaxCodeBits, kNumDist);
constexpr size_t kCodeLenTableSize = TableSize(kCodeLenRootBits, 7, kNumCodeLen);

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr uint8_t kCodeLenOrder[kNumCodeLen] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// What each symbol decodes to, without its code length.
uint32_t LitLenTemplate(unsigned symbol) {
    if (symbol < 256) return MakeEntry(kLiteral, 0, 0, symbol);
    if (symbol == 256) return MakeEntry(kEndOfBlock, 0, 0, 0);
    if (symbol < 286) return MakeEntry(kBase, 0, kLengthExtra[symbol - 257], kLengthBase[symbol - 257]);
    return kInvalidEntry;  // 286 and 287 take part in the fixed code but never occur
}
uint32_t DistTemplate(unsigned symbol) {
    return symbol < 30 ? MakeEntry(kBase, 0, kDistExtra[symbol], kDistBase[symbol]) : kInvalidEntry;
}
uint32_t CodeLenTemplate(unsigned symbol) { return MakeEntry(kLiteral, 0, 0, symbol); }

inline uint64_t Load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    return v;
}

}  // namespace

// ---- The decoder's state ----------------------------------------------------

struct TInflater::State {
    TOutputWindow w;
    uint32_t litLen[kLitLenTableSize];
    uint32_t dist[kDistTableSize];
    uint32_t codeLen[kCodeLenTableSize];
    uint32_t fixedLitLen[kLitLenTableSize];
    uint32_t fixedDist[kDistTableSize];
    bool fixedBuilt = false;

    TBitReader r;

    bool Run();
    bool Block(const uint32_t* lit, const uint32_t* dst);
    bool StoredBlock();
    bool DynamicTables();
    void BuildFixedTables();
    bool Take(unsigned n, uint32_t& value) { return r.Take(n, value); }

    // Copies a match of length bytes from distance back; the caller has
    // checked that distance reaches no further back than the output.
    // Overlapping 8-byte copies are exact because each reads only bytes
    // written before it; the window's slack absorbs the overshoot.
    static void CopyMatch(uint8_t* dst, size_t distance, size_t length) {
        const uint8_t* src = dst - distance;
        if (distance >= 8) {
            uint8_t* end = dst + length;
            do {
                std::memcpy(dst, src, 8);
                dst += 8;
                src += 8;
            } while (dst < end);
        } else if (distance == 1) {
            std::memset(dst, *src, length);
        } else {
            for (size_t i = 0; i < length; ++i) dst[i] = src[i];
        }
    }
};

TInflater::TInflater() : state_(std::make_unique<State>()) {}
TInflater::~TInflater() = default;

bool TInflater::Inflate(TByteSource& source, TByteSink& sink) {
    State& s = *state_;
    s.r.Begin(source);
    s.w.Begin(sink, false);
    bool ok = s.Run();
    s.w.Flush(true);
    return ok;
}

bool TInflater::State::Run() {
    for (;;) {
        uint32_t last, type;
        INFLATE_CHECK(Take(1, last) && Take(2, type));
        if (type == 0) {
            INFLATE_CHECK(StoredBlock());
        } else if (type == 1) {
            if (!fixedBuilt) BuildFixedTables();
            INFLATE_CHECK(Block(fixedLitLen, fixedDist));
        } else if (type == 2) {
            INFLATE_CHECK(DynamicTables());
            INFLATE_CHECK(Block(litLen, dist));
        } else {
            return false;  // block type 3 is reserved
        }
        if (last) return true;
    }
}

void TInflater::State::BuildFixedTables() {
    uint8_t lengths[kNumLitLen];
    unsigned s = 0;
    for (; s < 144; ++s) lengths[s] = 8;
    for (; s < 256; ++s) lengths[s] = 9;
    for (; s < 280; ++s) lengths[s] = 7;
    for (; s < 288; ++s) lengths[s] = 8;
    BuildTable(fixedLitLen, kLitLenTableSize, kLitLenRootBits, kMaxCodeBits, lengths, kNumLitLen, LitLenTemplate);
    uint8_t distLengths[kNumDist];
    std::memset(distLengths, 5, sizeof distLengths);
    BuildTable(fixedDist, kDistTableSize, kDistRootBits, kMaxCodeBits, distLengths, kNumDist, DistTemplate);
    fixedBuilt = true;
}

bool TInflater::State::StoredBlock() {
    // To the next byte boundary, then LEN and its complement NLEN.
    r.Drop(r.count & 7);
    INFLATE_CHECK(!r.Overrun());
    uint32_t length, complement;
    INFLATE_CHECK(Take(16, length) && Take(16, complement));
    INFLATE_CHECK(length == (~complement & 0xFFFF));
    while (length > 0) {
        w.Room();
        size_t room = TOutputWindow::kFlushAt - w.pos;
        if (r.count > 0) {
            // Whole bytes still in the bit buffer come first.
            uint32_t byte;
            INFLATE_CHECK(Take(8, byte));
            w.data[w.pos++] = static_cast<uint8_t>(byte);
            --length;
            continue;
        }
        // The bit buffer is empty: what lies above its count are the bytes
        // about to be copied directly, so they must not linger there.
        r.bits = 0;
        if (r.in == r.inEnd) INFLATE_CHECK(r.NextChunk());
        size_t n = static_cast<size_t>(r.inEnd - r.in);
        if (n > length) n = length;
        if (n > room) n = room;
        std::memcpy(w.data + w.pos, r.in, n);
        r.in += n;
        w.pos += n;
        length -= static_cast<uint32_t>(n);
    }
    return true;
}

bool TInflater::State::DynamicTables() {
    uint32_t hlit, hdist, hclen;
    INFLATE_CHECK(Take(5, hlit) && Take(5, hdist) && Take(4, hclen));
    const unsigned numLitLen = hlit + 257, numDist = hdist + 1, numCodeLen = hclen + 4;
    INFLATE_CHECK(numLitLen <= 286 && numDist <= 30);

    uint8_t codeLenLengths[kNumCodeLen] = {};
    for (unsigned i = 0; i < numCodeLen; ++i) {
        uint32_t v;
        INFLATE_CHECK(Take(3, v));
        codeLenLengths[kCodeLenOrder[i]] = static_cast<uint8_t>(v);
    }
    INFLATE_CHECK(BuildTable(codeLen, kCodeLenTableSize, kCodeLenRootBits, 7, codeLenLengths, kNumCodeLen, CodeLenTemplate));
    // A code-length code must be complete: the single-code allowance is for distances.
    unsigned lengthsUsed = 0;
    for (uint8_t l : codeLenLengths) lengthsUsed += l != 0;
    INFLATE_CHECK(lengthsUsed > 1);

    uint8_t lengths[kNumLitLen + kNumDist] = {};
    const unsigned total = numLitLen + numDist;
    for (unsigned i = 0; i < total;) {
        uint32_t e;
        INFLATE_CHECK(r.Decode(codeLen, kCodeLenRootBits, e));
        const uint32_t symbol = EntryValue(e);
        if (symbol < 16) {
            lengths[i++] = static_cast<uint8_t>(symbol);
            continue;
        }
        uint32_t repeat, value = 0;
        if (symbol == 16) {
            INFLATE_CHECK(i > 0);  // nothing to repeat
            value = lengths[i - 1];
            INFLATE_CHECK(Take(2, repeat));
            repeat += 3;
        } else if (symbol == 17) {
            INFLATE_CHECK(Take(3, repeat));
            repeat += 3;
        } else {
            INFLATE_CHECK(Take(7, repeat));
            repeat += 11;
        }
        INFLATE_CHECK(i + repeat <= total);  // a repeat past the announced count
        std::memset(lengths + i, static_cast<int>(value), repeat);
        i += repeat;
    }
    INFLATE_CHECK(lengths[256] != 0);  // a block must be able to end
    INFLATE_CHECK(BuildTable(litLen, kLitLenTableSize, kLitLenRootBits, kMaxCodeBits, lengths, numLitLen, LitLenTemplate));
    return BuildTable(dist, kDistTableSize, kDistRootBits, kMaxCodeBits, lengths + numLitLen, numDist, DistTemplate);
}

// One block of Huffman-coded data.
//
// The fast loop's entry assumptions: at least 16 bytes of input are left in
// the current chunk (so an 8-byte load never passes its end) and the output
// position is below kFlushAt (so a 258-byte match plus an 8-byte overshoot
// stays inside the slack). After the branch-free refill the bit buffer holds
// at least 56 bits, enough for a length code with its extra bits and a
// distance code with its extra bits (15 + 5 + 15 + 13 = 48). The bits above
// `count` are the following input bytes again, so OR-ing them in twice is
// harmless.
bool TInflater::State::Block(const uint32_t* lit, const uint32_t* dst) {
    constexpr uint64_t kLitMask = (1u << kLitLenRootBits) - 1, kDistMask = (1u << kDistRootBits) - 1;
    for (;;) {
        // The state lives in locals here: stores into the output bytes could
        // otherwise alias the members and force reloads after every byte.
        uint64_t b = r.bits;
        unsigned n = r.count;
        const uint8_t* ip = r.in;
        const uint8_t* const fastInEnd = r.inEnd - r.in >= 16 ? r.inEnd - 16 : r.in;
        uint8_t* const outStart = w.data;
        uint8_t* op = w.data + w.pos;
        uint8_t* const fastOutEnd = w.data + TOutputWindow::kFlushAt;
        bool ended = false, failed = false;
        while (ip < fastInEnd && op < fastOutEnd) {
            b |= Load64(ip) << n;
            ip += (63 - n) >> 3;
            n |= 56;

            uint32_t e = lit[b & kLitMask];
            if (EntryKind(e) == kLink) {
                b >>= kLitLenRootBits;
                n -= kLitLenRootBits;
                e = lit[EntryValue(e) + (b & ((1u << EntryExtra(e)) - 1))];
            }
            const uint64_t saved = b;
            b >>= EntryBits(e);
            n -= EntryBits(e);
            const uint32_t kind = EntryKind(e);
            if (kind == kLiteral) {
                *op++ = static_cast<uint8_t>(EntryValue(e));
                // More literals often fit in the bits already loaded.
                for (int more = 0; more < 2 && n >= kMaxCodeBits; ++more) {
                    const uint32_t e2 = lit[b & kLitMask];
                    if (EntryKind(e2) != kLiteral) break;
                    b >>= EntryBits(e2);
                    n -= EntryBits(e2);
                    *op++ = static_cast<uint8_t>(EntryValue(e2));
                }
                continue;
            }
            if (kind == kEndOfBlock) {
                ended = true;
                break;
            }
            if (kind != kBase) {
                failed = true;
                break;
            }
            // The entry's bits were consumed with its extra bits; read those
            // from the buffer as it was.
            const size_t length = EntryValue(e) + ((saved >> EntryCodeBits(e)) & ((1u << EntryExtra(e)) - 1));

            uint32_t d = dst[b & kDistMask];
            if (EntryKind(d) == kLink) {
                b >>= kDistRootBits;
                n -= kDistRootBits;
                d = dst[EntryValue(d) + (b & ((1u << EntryExtra(d)) - 1))];
            }
            const uint64_t savedDist = b;
            b >>= EntryBits(d);
            n -= EntryBits(d);
            const size_t distance = EntryValue(d) + ((savedDist >> EntryCodeBits(d)) & ((1u << EntryExtra(d)) - 1));
            if (EntryKind(d) != kBase || distance > static_cast<size_t>(op - outStart)) {  // too far back
                failed = true;
                break;
            }
            CopyMatch(op, distance, length);
            op += length;
        }
        r.bits = b;
        r.count = n;
        r.in = ip;
        w.pos = static_cast<size_t>(op - outStart);
        INFLATE_CHECK(!failed);
        if (ended) return true;

        // The careful loop: one symbol, bit by bit from chunk to chunk.
        w.Room();
        uint32_t e;
        INFLATE_CHECK(r.Decode(lit, kLitLenRootBits, e));
        if (EntryKind(e) == kLiteral) {
            w.data[w.pos++] = static_cast<uint8_t>(EntryValue(e));
            continue;
        }
        if (EntryKind(e) == kEndOfBlock) return true;
        uint32_t extra;
        INFLATE_CHECK(Take(EntryExtra(e), extra));
        const size_t length = EntryValue(e) + extra;
        uint32_t d;
        INFLATE_CHECK(r.Decode(dst, kDistRootBits, d));
        INFLATE_CHECK(Take(EntryExtra(d), extra));
        const size_t distance = EntryValue(d) + extra;
        INFLATE_CHECK(distance <= w.pos);
        w.CopyByte(distance, length);
    }
}
