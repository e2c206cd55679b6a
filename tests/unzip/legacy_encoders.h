// Test-only encoders of the legacy methods, plain and slow: they write the
// compressed data of one entry. Shrunk and imploded output is checked
// against 7z in the tests; reduced output, which nothing installed here
// decodes, also against streams built by hand.
#pragma once

#include <cstdint>
#include <string>

// Bits least significant first, as the ZIP methods pack them.
struct TestBitWriter {
    std::string bytes;
    unsigned used = 0;
    void Put(uint32_t value, unsigned count);
    // A prefix code, most significant bit first.
    void PutCode(uint32_t code, unsigned length);
};

// Method 1. clearEvery: a partial clear after that many new codes (0: only
// when the table is full). Clears follow the code of a single byte, or with
// afterLeaf the code of a leaf string, which the clear frees although the
// next new string takes it as prefix (as PKZIP's encoders do); leafClears
// counts those.
std::string TestShrink(const std::string& data, unsigned clearEvery = 0, bool afterLeaf = false,
                       unsigned* leafClears = nullptr);
// Method 6 with the flags of bits 1 (8 KiB dictionary) and 2 (literal tree).
std::string TestImplode(const std::string& data, bool bigDictionary, bool literalTree);
// Methods 2 to 5 (factor 1 to 4), with follower sets of at most maxFollowers.
std::string TestReduce(const std::string& data, unsigned factor, unsigned maxFollowers = 32);
