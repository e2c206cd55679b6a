// Decoding tables for prefix codes (deflate's Huffman codes, implode's
// Shannon-Fano codes): a first-level table indexed by the next rootBits bits
// of input (least significant bit first), with sub-tables for longer codes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace huffman {

// A table entry is 32 bits:
//   bits 0-4   bits to consume for this entry: its code bits and the extra
//              bits after them (for a link: the table's index bits)
//   bits 5-7   kind (below)
//   bits 8-11  extra bits after the code (lengths, distances), or the index
//              bits of the sub-table a link points to
//   bits 12-15 the code bits alone
//   bits 16-31 the literal byte, the base length or distance, or the offset
//              of a sub-table
constexpr unsigned kMaxBits = 16;

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


constexpr unsigned kMaxSymbols = 288;

// Room for any table: each sub-table serves at least one symbol and has at
// most 2^(maxBits - rootBits) entries.
constexpr size_t TableSize(unsigned rootBits, unsigned maxBits, unsigned symbols) {
    return (size_t{1} << rootBits) + symbols * (size_t{1} << (maxBits - rootBits));
}

// A symbol's entry for a code of codeBits bits at its table level.
constexpr uint32_t WithCodeBits(uint32_t symbolEntry, unsigned codeBits) {
    return symbolEntry | (codeBits + EntryExtra(symbolEntry)) | (codeBits << 12);
}

// Builds the table of a canonical code from its code lengths (0 = unused,
// at most maxBits, at most 16). An over-subscribed code is refused. An
// incomplete one is refused too unless allowIncomplete, or unless it is a
// single code of one bit or no code at all (as deflate encoders write for a
// lone distance or a block of literals); its unused entries decode as
// invalid.
bool BuildTable(uint32_t* table, size_t capacity, unsigned rootBits, unsigned maxBits, const uint8_t* lengths,
                unsigned count, uint32_t (*symbolEntry)(unsigned), bool allowIncomplete = false);

}  // namespace huffman
