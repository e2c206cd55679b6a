// The bit input of the decoders: bits least significant first, pulled byte
// by byte from the entry's chunks. Once the data has ended the buffer is
// padded with zero bits, so a decoder may look ahead past the last byte;
// consuming padding is running out of data, and Take and Decode report it.
#pragma once

#include <cstdint>

#include "unzip/decode_io.h"
#include "unzip/huffman.h"

struct TBitReader {
    TByteSource* source = nullptr;
    const uint8_t* in = nullptr;
    const uint8_t* inEnd = nullptr;
    bool sourceDone = false;
    uint64_t bits = 0;
    unsigned count = 0;    // valid bits in the buffer, padding included
    unsigned padBits = 0;  // zero bits appended after the end of the data

    void Begin(TByteSource& from) { *this = TBitReader{&from}; }

    // The next chunk, once the current one is used up; false at the end of the data.
    bool NextChunk() {
        if (sourceDone) return false;
        size_t n = source->NextChunk(in);
        inEnd = in + n;
        sourceDone = n == 0;
        return n > 0;
    }
    void Pull(unsigned need) {
        while (count < need) {
            if (in == inEnd) NextChunk();
            if (in < inEnd) bits |= uint64_t{*in++} << count;
            else padBits += 8;
            count += 8;
        }
    }
    void Drop(unsigned n) {
        bits >>= n;
        count -= n;
    }
    bool Overrun() const { return count < padBits; }
    // n bits (at most 32) as a number; false when they ran past the data.
    bool Take(unsigned n, uint32_t& value) {
        Pull(n);
        value = static_cast<uint32_t>(bits & ((uint64_t{1} << n) - 1));
        Drop(n);
        return !Overrun();
    }
    // One symbol through a table of huffman entries; complement inverts the
    // code bits first (implode stores its codes so). False for an invalid
    // code or one that ran past the data. Extra bits are left to the caller.
    bool Decode(const uint32_t* table, unsigned rootBits, uint32_t& entry, bool complement = false) {
        Pull(huffman::kMaxBits);
        const uint64_t view = complement ? ~bits : bits;
        entry = table[view & ((1u << rootBits) - 1)];
        if (huffman::EntryKind(entry) == huffman::kLink) {
            Drop(rootBits);
            const uint64_t rest = complement ? ~bits : bits;
            entry = table[huffman::EntryValue(entry) + (rest & ((1u << huffman::EntryExtra(entry)) - 1))];
        }
        Drop(huffman::EntryCodeBits(entry));
        return !Overrun() && huffman::EntryKind(entry) != huffman::kInvalid;
    }
};
