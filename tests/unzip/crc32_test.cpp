#include "unzip/crc32.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#ifdef SETUP_HAVE_ZLIB
#include <zlib.h>
#endif

TEST(Crc32Test, KnownValues) {
    EXPECT_EQ(Crc32(0, "", 0), 0u);
    EXPECT_EQ(Crc32(0, "123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32(0, "The quick brown fox jumps over the lazy dog", 43), 0x414FA339u);
    std::string zeros(32, '\0');
    EXPECT_EQ(Crc32(0, zeros.data(), zeros.size()), 0x190A55ADu);
}

TEST(Crc32Test, ChainsAcrossPiecesOfAnyLengthAndAlignment) {
    std::mt19937 random(7);
    std::vector<unsigned char> data(5000);
    for (auto& b : data) b = static_cast<unsigned char>(random());
    const uint32_t whole = Crc32(0, data.data(), data.size());
    for (size_t cut : {0u, 1u, 7u, 8u, 9u, 63u, 4999u, 5000u}) {
        uint32_t c = Crc32(0, data.data(), cut);
        c = Crc32(c, data.data() + cut, data.size() - cut);
        EXPECT_EQ(c, whole) << cut;
    }
    for (size_t offset = 1; offset < 8; ++offset) {
        uint32_t a = Crc32(0, data.data() + offset, 1000);
        std::vector<unsigned char> copy(data.begin() + static_cast<long>(offset), data.begin() + static_cast<long>(offset) + 1000);
        EXPECT_EQ(a, Crc32(0, copy.data(), copy.size()));
    }
    // The byte-wise register update is the same function.
    uint32_t reg = 0xFFFFFFFFu;
    for (unsigned char b : data) reg = Crc32UpdateByte(reg, b);
    EXPECT_EQ(~reg, whole);
}

TEST(Crc32Test, EveryLengthAgreesWithTheByteWiseDefinition) {
    // Covers the carry-less multiplication path (64 bytes and more, where the
    // processor has it) and its hand-over to the table loop at every tail length.
    std::mt19937 random(3);
    std::vector<unsigned char> data(600);
    for (auto& b : data) b = static_cast<unsigned char>(random());
    for (size_t length = 0; length <= data.size(); ++length) {
        uint32_t reg = 0xFFFFFFFFu;
        for (size_t i = 0; i < length; ++i) reg = Crc32UpdateByte(reg, data[i]);
        ASSERT_EQ(Crc32(0, data.data(), length), ~reg) << length;
    }
}

#ifdef SETUP_HAVE_ZLIB
TEST(Crc32Test, AgreesWithZlib) {
    std::mt19937 random(11);
    for (size_t length : {1u, 15u, 16u, 17u, 100u, 4096u, 70001u}) {
        std::vector<unsigned char> data(length);
        for (auto& b : data) b = static_cast<unsigned char>(random());
        EXPECT_EQ(Crc32(0, data.data(), length), crc32(0, data.data(), static_cast<uInt>(length))) << length;
    }
}
#endif
