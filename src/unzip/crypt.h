// Traditional PKWARE encryption: three 32-bit keys updated by every plain
// byte. Decryption is one dependent chain per byte, so the loop keeps the
// keys in registers and does nothing else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "unzip/crc32.h"

struct TZipKeys {
    uint32_t k0 = 0x12345678, k1 = 0x23456789, k2 = 0x34567890;

    explicit TZipKeys(const std::string& password = {}) {
        for (unsigned char c : password) Update(c);
    }
    void Update(uint8_t plain) {
        k0 = Crc32UpdateByte(k0, plain);
        k1 = (k1 + (k0 & 0xFF)) * 134775813u + 1;
        k2 = Crc32UpdateByte(k2, static_cast<uint8_t>(k1 >> 24));
    }
    uint8_t StreamByte() const {
        const uint32_t t = (k2 | 2) & 0xFFFF;
        return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
    }
    uint8_t DecryptByte(uint8_t cipher) {
        const uint8_t plain = cipher ^ StreamByte();
        Update(plain);
        return plain;
    }
    // Decrypts a block in place.
    void Decrypt(unsigned char* data, size_t length);
};
