// CRC-32 of ZIP archives: the polynomial 0xEDB88320 in reflected bit order
// (the low bit of each byte first), initial value and final xor 0xFFFFFFFF.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The byte-wise tables: Crc32Table[0][i] is the CRC register after shifting in the
// eight bits of i; Crc32Table[k][i] is the same advanced over k more zero bytes,
// for the slicing loop. Made at compile time.
using Crc32Tables = std::array<std::array<uint32_t, 256>, 8>;
extern const Crc32Tables Crc32Table;

// One byte into a raw (not inverted) CRC register, as the traditional
// encryption's key schedule uses it.
inline uint32_t Crc32UpdateByte(uint32_t reg, uint8_t byte) { return Crc32Table[0][(reg ^ byte) & 0xFF] ^ (reg >> 8); }

// The CRC-32 of previous's data followed by data (start with 0), as zlib's
// crc32() counts it.
uint32_t Crc32(uint32_t previous, const void* data, size_t length);
