#include "unzip/crypt.h"

void TZipKeys::Decrypt(unsigned char* data, size_t length) {
    // Local copies let the compiler keep the keys in registers across the loop.
    uint32_t a = k0, b = k1, c = k2;
    const auto& table = Crc32Table[0];
    for (size_t i = 0; i < length; ++i) {
        const uint32_t t = (c | 2) & 0xFFFF;
        const uint8_t plain = data[i] ^ static_cast<uint8_t>((t * (t ^ 1)) >> 8);
        data[i] = plain;
        a = table[(a ^ plain) & 0xFF] ^ (a >> 8);
        b = (b + (a & 0xFF)) * 134775813u + 1;
        c = table[(c ^ (b >> 24)) & 0xFF] ^ (c >> 8);
    }
    k0 = a;
    k1 = b;
    k2 = c;
}
