// Explode: LZ77 with Shannon-Fano codes for literals (when the entry has a
// literal tree), match lengths and the high bits of distances, over a 4 or
// 8 KiB dictionary. The trees come in compact form: a count byte, then
// bytes of (repeat count - 1, bit length - 1) nibbles. The codes are stored
// with their bits inverted, so decoding reads the complement.
#include "unzip/bit_reader.h"
#include "unzip/huffman.h"
#include "unzip/legacy.h"
#include "unzip/output_window.h"

#define EXPLODE_CHECK(condition) \
    do {                         \
        if (!(condition)) return false; \
    } while (0)

namespace {

using namespace huffman;

constexpr unsigned kMaxCodeBits = 16;
constexpr size_t kLiteralTableSize = TableSize(9, kMaxCodeBits, 256);
constexpr size_t kLengthTableSize = TableSize(7, kMaxCodeBits, 64);
constexpr size_t kDistanceTableSize = TableSize(8, kMaxCodeBits, 64);

uint32_t SymbolEntry(unsigned symbol) { return MakeEntry(kLiteral, 0, 0, symbol); }

}  // namespace

struct TExploder::State {
    uint32_t literals[kLiteralTableSize];
    uint32_t lengths[kLengthTableSize];
    uint32_t distances[kDistanceTableSize];
    TBitReader r;
    TOutputWindow w;

    // Reads a tree of `symbols` code lengths in compact form and builds its table.
    bool ReadTree(uint32_t* table, size_t capacity, unsigned rootBits, unsigned symbols) {
        uint8_t bitLengths[256];
        uint32_t bytes;
        EXPLODE_CHECK(r.Take(8, bytes));
        unsigned filled = 0;
        for (uint32_t i = 0; i <= bytes; ++i) {
            uint32_t b;
            EXPLODE_CHECK(r.Take(8, b));
            const unsigned repeat = (b >> 4) + 1, length = (b & 15) + 1;
            EXPLODE_CHECK(filled + repeat <= symbols);  // the set must add up to exactly `symbols`
            for (unsigned k = 0; k < repeat; ++k) bitLengths[filled++] = static_cast<uint8_t>(length);
        }
        EXPLODE_CHECK(filled == symbols);
        return BuildTable(table, capacity, rootBits, kMaxCodeBits, bitLengths, symbols, SymbolEntry, true);
    }
    bool Run(uint16_t flags, uint32_t compressedSize, uint32_t size);
};

TExploder::TExploder() = default;
TExploder::~TExploder() = default;

bool TExploder::Explode(TByteSource& source, TByteSink& sink, uint16_t flags, uint32_t compressedSize, uint32_t size) {
    if (!state_) state_ = std::make_unique<State>();
    State& s = *state_;
    s.r.Begin(source);
    s.w.Begin(sink, true);  // references before the first byte read zeros
    const bool ok = s.Run(flags, compressedSize, size);
    s.w.Flush(true);
    return ok;
}

bool TExploder::State::Run(uint16_t flags, uint32_t compressedSize, uint32_t size) {
    const bool bigDictionary = flags & 2, literalTree = flags & 4;
    const unsigned lowDistanceBits = bigDictionary ? 7 : 6;
    const unsigned minMatch = literalTree ? 3 : 2;
    const unsigned literalBits = 9, lengthBits = 7, distanceBits = compressedSize > 200000 ? 8 : 7;
    if (literalTree) EXPLODE_CHECK(ReadTree(literals, kLiteralTableSize, literalBits, 256));
    EXPLODE_CHECK(ReadTree(lengths, kLengthTableSize, lengthBits, 64));
    EXPLODE_CHECK(ReadTree(distances, kDistanceTableSize, distanceBits, 64));

    uint64_t produced = 0;
    while (produced < size) {
        uint32_t isLiteral;
        EXPLODE_CHECK(r.Take(1, isLiteral));
        if (isLiteral) {
            uint32_t value;
            if (literalTree) {
                uint32_t e;
                EXPLODE_CHECK(r.Decode(literals, literalBits, e, true));
                value = EntryValue(e);
            } else {
                EXPLODE_CHECK(r.Take(8, value));
            }
            w.Byte(static_cast<uint8_t>(value));
            ++produced;
            continue;
        }
        uint32_t low, e;
        EXPLODE_CHECK(r.Take(lowDistanceBits, low));
        EXPLODE_CHECK(r.Decode(distances, distanceBits, e, true));
        const size_t distance = ((size_t{EntryValue(e)} << lowDistanceBits) | low) + 1;
        EXPLODE_CHECK(r.Decode(lengths, lengthBits, e, true));
        size_t length = EntryValue(e);
        if (length == 63) {
            uint32_t more;
            EXPLODE_CHECK(r.Take(8, more));
            length += more;
        }
        length += minMatch;
        if (length > size - produced) length = static_cast<size_t>(size - produced);
        produced += length;
        w.Copy(distance, length);
    }
    return true;
}
