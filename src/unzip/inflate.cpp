#include "unzip/inflate.h"

#include <cstring>

// Every check of hostile input goes through this one construct, so that a
// reviewer finds all of them with one search: on failure decoding stops.
#define INFLATE_CHECK(condition) \
    do {                         \
        if (!(condition)) return false; \
    } while (0)

namespace {

// ---- Decoding tables ------------------------------------------------------
//
// A table entry is 32 bits:
//   bits 0-4   bits to consume for this entry: its code bits and the extra
//              bits after them (for a link: the table's index bits)
//   bits 5-7   kind (below)
//   bits 8-11  extra bits after the code (lengths, distances), or the index
//              bits of the sub-table a link points to
//   bits 12-15 the code bits alone
//   bits 16-31 the literal byte, the base length or distance, or the offset
//              of a sub-table
enum Kind : uint32_t { kLiteral = 0, kBase = 1, kEndOfBlock = 2, kLink = 3, kInvalid = 4 };

constexpr uint32_t MakeEntry(Kind kind, uint32_t bits, uint32_t extra, uint32_t value) {
    return bits | (uint32_t{kind} << 5) | (extra << 8) | (value << 16);
}
constexpr uint32_t EntryBits(uint32_t e) { return e & 0x1F; }
constexpr uint32_t EntryCodeBits(uint32_t e) { return (e >> 12) & 0xF; }
constexpr uint32_t EntryKind(uint32_t e) { return (e >> 5) & 7; }
constexpr uint32_t EntryExtra(uint32_t e) { return (e >> 8) & 0xF; }
constexpr uint32_t EntryValue(uint32_t e) { return e >> 16; }
constexpr uint32_t kInvalidEntry = MakeEntry(kInvalid, 0, 0, 0);

constexpr unsigned kMaxCodeBits = 15;
constexpr unsigned kLitLenRootBits = 10;
constexpr unsigned kDistRootBits = 8;
constexpr unsigned kCodeLenRootBits = 7;
constexpr unsigned kNumLitLen = 288;
constexpr unsigned kNumDist = 32;
constexpr unsigned kNumCodeLen = 19;
// Each sub-table serves at least one symbol and has at most 2^(15 - root) entries.
constexpr size_t kLitLenTableSize = (1u << kLitLenRootBits) + kNumLitLen * (1u << (kMaxCodeBits - kLitLenRootBits));
constexpr size_t kDistTableSize = (1u << kDistRootBits) + kNumDist * (1u << (kMaxCodeBits - kDistRootBits));
constexpr size_t kCodeLenTableSize = 1u << kCodeLenRootBits;

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

// A symbol's entry for a code of codeBits bits at its table level.
uint32_t WithCodeBits(uint32_t symbolEntry, unsigned codeBits) {
    return symbolEntry | (codeBits + EntryExtra(symbolEntry)) | (codeBits << 12);
}

unsigned ReverseBits(unsigned code, unsigned length) {
    unsigned r = 0;
    for (unsigned i = 0; i < length; ++i, code >>= 1) r = (r << 1) | (code & 1);
    return r;
}

// Builds the table of a canonical Huffman code from its code lengths. An
// over-subscribed code is refused, and so is an incomplete one unless it is
// a single code of one bit (as encoders write for a lone distance) or empty
// (a block of literals only); the unused entries then decode as invalid.
bool BuildTable(uint32_t* table, size_t capacity, unsigned rootBits, const uint8_t* lengths, unsigned count,
                uint32_t (*symbolTemplate)(unsigned)) {
    unsigned counts[kMaxCodeBits + 1] = {};
    for (unsigned s = 0; s < count; ++s) counts[lengths[s]]++;
    counts[0] = 0;
    int left = 1;
    for (unsigned len = 1; len <= kMaxCodeBits; ++len) {
        left = (left << 1) - static_cast<int>(counts[len]);
        INFLATE_CHECK(left >= 0);  // over-subscribed
    }
    unsigned codes = 0;
    for (unsigned len = 1; len <= kMaxCodeBits; ++len) codes += counts[len];
    INFLATE_CHECK(left == 0 || codes == 0 || (codes == 1 && counts[1] == 1));

    // Symbols sorted by code length, then by value.
    unsigned offsets[kMaxCodeBits + 2] = {};
    for (unsigned len = 1; len <= kMaxCodeBits; ++len) offsets[len + 1] = offsets[len] + counts[len];
    uint16_t sorted[kNumLitLen];
    for (unsigned s = 0; s < count; ++s)
        if (lengths[s]) sorted[offsets[lengths[s]]++] = static_cast<uint16_t>(s);

    const unsigned rootSize = 1u << rootBits;
    for (unsigned i = 0; i < rootSize; ++i) table[i] = kInvalidEntry;

    size_t used = rootSize;
    unsigned code = 0, placed = 0, subPrefix = ~0u, subBase = 0, subBits = 0;
    unsigned remaining[kMaxCodeBits + 1];
    std::memcpy(remaining, counts, sizeof remaining);
    for (unsigned len = 1; len <= kMaxCodeBits; ++len, code <<= 1) {
        for (unsigned k = 0; k < counts[len]; ++k, ++code, --remaining[len]) {
            const unsigned symbol = sorted[placed++];
            const unsigned reversed = ReverseBits(code, len);
            if (len <= rootBits) {
                const uint32_t entry = WithCodeBits(symbolTemplate(symbol), len);
                for (unsigned i = reversed; i < rootSize; i += 1u << len) table[i] = entry;
                continue;
            }
            const unsigned prefix = reversed & (rootSize - 1);
            if (prefix != subPrefix) {
                // A new sub-table, as wide as the codes that share this prefix need.
                subBits = len - rootBits;
                int room = 1 << subBits;
                for (unsigned l = len; l < kMaxCodeBits; ++l) {
                    room -= static_cast<int>(remaining[l]);
                    if (room <= 0) break;
                    ++subBits;
                    room <<= 1;
                }
                INFLATE_CHECK(used + (size_t{1} << subBits) <= capacity);
                subBase = static_cast<unsigned>(used);
                used += size_t{1} << subBits;
                for (unsigned i = 0; i < (1u << subBits); ++i) table[subBase + i] = kInvalidEntry;
                table[prefix] = MakeEntry(kLink, rootBits, subBits, subBase);
                subPrefix = prefix;
            }
            const uint32_t entry = WithCodeBits(symbolTemplate(symbol), len - rootBits);
            for (unsigned i = reversed >> rootBits; i < (1u << subBits); i += 1u << (len - rootBits))
                table[subBase + i] = entry;
        }
    }
    return true;
}

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
    // Output: 32 KiB of history, then room for new bytes, then slack for the
    // fast loop's whole-word copies past the end of a match.
    static constexpr size_t kHistory = 32768;
    static constexpr size_t kChunk = 192 * 1024;
    static constexpr size_t kSlack = 320;
    static constexpr size_t kFlushAt = kHistory + kChunk;

    uint8_t out[kHistory + kChunk + kSlack];
    uint32_t litLen[kLitLenTableSize];
    uint32_t dist[kDistTableSize];
    uint32_t codeLen[kCodeLenTableSize];
    uint32_t fixedLitLen[kLitLenTableSize];
    uint32_t fixedDist[kDistTableSize];
    bool fixedBuilt = false;

    TByteSource* source = nullptr;
    TByteSink* sink = nullptr;
    const uint8_t* in = nullptr;
    const uint8_t* inEnd = nullptr;
    bool sourceDone = false;
    uint64_t bits = 0;
    unsigned count = 0;    // valid bits in the bit buffer
    unsigned padBits = 0;  // zero bits appended after the end of the data
    size_t pos = 0;        // next output byte
    size_t flushed = 0;    // output before this has gone to the sink

    bool Run();
    bool Block(const uint32_t* lit, const uint32_t* dst);
    bool StoredBlock();
    bool DynamicTables();
    void BuildFixedTables();

    // Careful bit access: the bit buffer is refilled byte by byte, from the
    // next chunk when one is used up, and with zero bits once the data has
    // ended. Consuming such padding is running out of data.
    void Pull(unsigned need) {
        while (count < need) {
            if (in == inEnd && !sourceDone) {
                size_t n = source->NextChunk(in);
                inEnd = in + n;
                sourceDone = n == 0;
            }
            if (in < inEnd) {
                bits |= uint64_t{*in++} << count;
            } else {
                padBits += 8;
            }
            count += 8;
        }
    }
    bool Take(unsigned n, uint32_t& value) {
        Pull(n);
        value = static_cast<uint32_t>(bits & ((uint64_t{1} << n) - 1));
        bits >>= n;
        count -= n;
        return count >= padBits;
    }
    bool Decode(const uint32_t* table, unsigned rootBits, uint32_t& entry) {
        Pull(kMaxCodeBits);
        entry = table[bits & ((1u << rootBits) - 1)];
        if (EntryKind(entry) == kLink) {
            bits >>= rootBits;
            count -= rootBits;
            entry = table[EntryValue(entry) + (bits & ((1u << EntryExtra(entry)) - 1))];
        }
        bits >>= EntryCodeBits(entry);
        count -= EntryCodeBits(entry);
        return count >= padBits && EntryKind(entry) != kInvalid;
    }

    // Hands new output to the sink and keeps the last 32 KiB as history.
    void Flush(bool final) {
        if (pos > flushed) sink->Put(out + flushed, pos - flushed);
        flushed = pos;
        if (final || pos < kFlushAt) return;
        std::memmove(out, out + pos - kHistory, kHistory);
        pos = flushed = kHistory;
    }

    // Copies a match of length bytes from distance back; the caller has
    // checked that distance reaches no further back than the output.
    static void CopyMatch(uint8_t* dst, size_t distance, size_t length, bool wholeWords) {
        const uint8_t* src = dst - distance;
        if (wholeWords && distance >= 8) {
            // Overlapping 8-byte copies are exact because each reads only
            // bytes written before it; the slack absorbs the overshoot.
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
    s.source = &source;
    s.sink = &sink;
    s.in = s.inEnd = nullptr;
    s.sourceDone = false;
    s.bits = 0;
    s.count = s.padBits = 0;
    s.pos = s.flushed = 0;
    bool ok = s.Run();
    s.Flush(true);
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
    BuildTable(fixedLitLen, kLitLenTableSize, kLitLenRootBits, lengths, kNumLitLen, LitLenTemplate);
    uint8_t distLengths[kNumDist];
    std::memset(distLengths, 5, sizeof distLengths);
    BuildTable(fixedDist, kDistTableSize, kDistRootBits, distLengths, kNumDist, DistTemplate);
    fixedBuilt = true;
}

bool TInflater::State::StoredBlock() {
    // To the next byte boundary, then LEN and its complement NLEN.
    bits >>= count & 7;
    count -= count & 7;
    INFLATE_CHECK(count >= padBits);
    uint32_t length, complement;
    INFLATE_CHECK(Take(16, length) && Take(16, complement));
    INFLATE_CHECK(length == (~complement & 0xFFFF));
    while (length > 0) {
        if (pos >= kFlushAt) Flush(false);
        size_t room = kFlushAt - pos;
        if (count > 0) {
            // Whole bytes still in the bit buffer come first.
            uint32_t byte;
            INFLATE_CHECK(Take(8, byte));
            out[pos++] = static_cast<uint8_t>(byte);
            --length;
            continue;
        }
        // The bit buffer is empty: what lies above its count are the bytes
        // about to be copied directly, so they must not linger there.
        bits = 0;
        if (in == inEnd) {
            INFLATE_CHECK(!sourceDone);
            size_t n = source->NextChunk(in);
            inEnd = in + n;
            sourceDone = n == 0;
            INFLATE_CHECK(n > 0);
        }
        size_t n = static_cast<size_t>(inEnd - in);
        if (n > length) n = length;
        if (n > room) n = room;
        std::memcpy(out + pos, in, n);
        in += n;
        pos += n;
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
    INFLATE_CHECK(BuildTable(codeLen, kCodeLenTableSize, kCodeLenRootBits, codeLenLengths, kNumCodeLen, CodeLenTemplate));
    // A code-length code must be complete: the single-code allowance is for distances.
    unsigned lengthsUsed = 0;
    for (uint8_t l : codeLenLengths) lengthsUsed += l != 0;
    INFLATE_CHECK(lengthsUsed > 1);

    uint8_t lengths[kNumLitLen + kNumDist] = {};
    const unsigned total = numLitLen + numDist;
    for (unsigned i = 0; i < total;) {
        uint32_t e;
        INFLATE_CHECK(Decode(codeLen, kCodeLenRootBits, e));
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
    INFLATE_CHECK(BuildTable(litLen, kLitLenTableSize, kLitLenRootBits, lengths, numLitLen, LitLenTemplate));
    return BuildTable(dist, kDistTableSize, kDistRootBits, lengths + numLitLen, numDist, DistTemplate);
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
        uint64_t b = bits;
        unsigned n = count;
        const uint8_t* ip = in;
        const uint8_t* const fastInEnd = inEnd - in >= 16 ? inEnd - 16 : in;
        uint8_t* const outStart = out;
        uint8_t* op = out + pos;
        uint8_t* const fastOutEnd = out + kFlushAt;
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
            CopyMatch(op, distance, length, true);
            op += length;
        }
        bits = b;
        count = n;
        in = ip;
        pos = static_cast<size_t>(op - outStart);
        INFLATE_CHECK(!failed);
        if (ended) return true;

        // The careful loop: one symbol, bit by bit from chunk to chunk.
        if (pos >= kFlushAt) Flush(false);
        uint32_t e;
        INFLATE_CHECK(Decode(lit, kLitLenRootBits, e));
        if (EntryKind(e) == kLiteral) {
            out[pos++] = static_cast<uint8_t>(EntryValue(e));
            continue;
        }
        if (EntryKind(e) == kEndOfBlock) return true;
        uint32_t extra;
        INFLATE_CHECK(Take(EntryExtra(e), extra));
        const size_t length = EntryValue(e) + extra;
        uint32_t d;
        INFLATE_CHECK(Decode(dst, kDistRootBits, d));
        INFLATE_CHECK(Take(EntryExtra(d), extra));
        const size_t distance = EntryValue(d) + extra;
        INFLATE_CHECK(distance <= pos);
        CopyMatch(out + pos, distance, length, false);
        pos += length;
    }
}
