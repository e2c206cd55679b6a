#include "unzip/crypt.h"

void TZipKeys::Decrypt(unsigned char* data, size_t length) {
    // Each byte's keys wait for the byte before, so the loop's speed is the
    // length of that chain. The CRC table is linear (T[x ^ y] = T[x] ^ T[y]),
    // so each CRC step splits into a part known from the old key alone and a
    // lookup of the new byte; likewise (b + x) * K + 1 = (b * K + 1) + x * K.
    // The parts of the old keys are worked out beside the chain, which then
    // holds one lookup, one multiplication, one lookup and the stream byte.
    // Local copies keep the keys in registers across the loop.
    uint32_t a = k0, b = k1, c = k2;
    const auto& table = Crc32Table[0];
    for (size_t i = 0; i < length; ++i) {
        const uint32_t aRest = table[a & 0xFF] ^ (a >> 8);
        const uint32_t bRest = b * 134775813u + 1;
        const uint32_t cRest = table[c & 0xFF] ^ (c >> 8);
        const uint32_t t = (c | 2) & 0xFFFF;
        const uint8_t plain = data[i] ^ static_cast<uint8_t>((t * (t ^ 1)) >> 8);
        data[i] = plain;
        a = aRest ^ table[plain];
        b = bRest + (a & 0xFF) * 134775813u;
        c = cRest ^ table[b >> 24];
    }
    k0 = a;
    k1 = b;
    k2 = c;
}
