#include "unzip/crc32.h"


namespace {

constexpr Crc32Tables MakeTables() {
    Crc32Tables t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][i] = c;
    }
    for (size_t k = 1; k < 8; ++k)
        for (size_t i = 0; i < 256; ++i) t[k][i] = t[0][t[k - 1][i] & 0xFF] ^ (t[k - 1][i] >> 8);
    return t;
}

}  // namespace

alignas(64) constinit const Crc32Tables Crc32Table = MakeTables();

uint32_t Crc32FoldClmul(uint32_t reg, const uint8_t* p, size_t length);
bool Crc32HasClmul();

// Carry-less multiplication where the processor has it; then slicing by
// eight: eight table look-ups fold eight bytes at a time into the register
// (little-endian load order).
uint32_t Crc32(uint32_t previous, const void* data, size_t length) {
    const auto& t = Crc32Table;
    const auto* p = static_cast<const uint8_t*>(data);
    uint32_t c = ~previous;
    if (length >= 64 && Crc32HasClmul()) {
        const size_t bulk = length & ~size_t{15};
        c = Crc32FoldClmul(c, p, bulk);
        p += bulk;
        length -= bulk;
    }
    for (; length >= 8; p += 8, length -= 8) {
        uint32_t lo = c ^ (uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
        uint32_t hi = uint32_t{p[4]} | uint32_t{p[5]} << 8 | uint32_t{p[6]} << 16 | uint32_t{p[7]} << 24;
        c = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
            t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
    }
    while (length--) c = Crc32UpdateByte(c, *p++);
    return ~c;
}
