#include "unzip/huffman.h"

#include <cstring>

namespace huffman {
namespace {

unsigned ReverseBits(unsigned code, unsigned length) {
    unsigned r = 0;
    for (unsigned i = 0; i < length; ++i, code >>= 1) r = (r << 1) | (code & 1);
    return r;
}

}  // namespace

bool BuildTable(uint32_t* table, size_t capacity, unsigned rootBits, unsigned maxBits, const uint8_t* lengths,
                unsigned count, uint32_t (*symbolEntry)(unsigned), bool allowIncomplete) {
    if (count > kMaxSymbols || maxBits > kMaxBits || rootBits > maxBits) return false;
    unsigned counts[kMaxBits + 1] = {};
    for (unsigned s = 0; s < count; ++s) {
        if (lengths[s] > maxBits) return false;
        counts[lengths[s]]++;
    }
    counts[0] = 0;
    int left = 1;
    for (unsigned len = 1; len <= maxBits; ++len) {
        left = (left << 1) - static_cast<int>(counts[len]);
        if (left < 0) return false;  // over-subscribed
    }
    unsigned codes = 0;
    for (unsigned len = 1; len <= maxBits; ++len) codes += counts[len];
    if (!(left == 0 || allowIncomplete || codes == 0 || (codes == 1 && counts[1] == 1))) return false;

    // Symbols sorted by code length, then by value.
    unsigned offsets[kMaxBits + 2] = {};
    for (unsigned len = 1; len <= maxBits; ++len) offsets[len + 1] = offsets[len] + counts[len];
    uint16_t sorted[kMaxSymbols];
    for (unsigned s = 0; s < count; ++s)
        if (lengths[s]) sorted[offsets[lengths[s]]++] = static_cast<uint16_t>(s);

    const unsigned rootSize = 1u << rootBits;
    for (unsigned i = 0; i < rootSize; ++i) table[i] = kInvalidEntry;

    size_t used = rootSize;
    unsigned code = 0, placed = 0, subPrefix = ~0u, subBase = 0, subBits = 0;
    unsigned remaining[kMaxBits + 1];
    std::memcpy(remaining, counts, sizeof remaining);
    for (unsigned len = 1; len <= maxBits; ++len, code <<= 1) {
        for (unsigned k = 0; k < counts[len]; ++k, ++code, --remaining[len]) {
            const unsigned symbol = sorted[placed++];
            const unsigned reversed = ReverseBits(code, len);
            if (len <= rootBits) {
                const uint32_t entry = WithCodeBits(symbolEntry(symbol), len);
                for (unsigned i = reversed; i < rootSize; i += 1u << len) table[i] = entry;
                continue;
            }
            const unsigned prefix = reversed & (rootSize - 1);
            if (prefix != subPrefix) {
                // A new sub-table, as wide as the codes that share this prefix need.
                subBits = len - rootBits;
                int room = 1 << subBits;
                for (unsigned l = len; l < maxBits; ++l) {
                    room -= static_cast<int>(remaining[l]);
                    if (room <= 0) break;
                    ++subBits;
                    room <<= 1;
                }
                if (used + (size_t{1} << subBits) > capacity) return false;
                subBase = static_cast<unsigned>(used);
                used += size_t{1} << subBits;
                for (unsigned i = 0; i < (1u << subBits); ++i) table[subBase + i] = kInvalidEntry;
                table[prefix] = MakeEntry(kLink, rootBits, subBits, subBase);
                subPrefix = prefix;
            }
            const uint32_t entry = WithCodeBits(symbolEntry(symbol), len - rootBits);
            for (unsigned i = reversed >> rootBits; i < (1u << subBits); i += 1u << (len - rootBits))
                table[subBase + i] = entry;
        }
    }
    return true;
}

}  // namespace huffman
