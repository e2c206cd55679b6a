// CRC-32 by carry-less multiplication (PCLMULQDQ), for x86 processors that
// have it: four 128-bit lanes are folded forward 512 bits at a time, then
// folded into one, reduced to 64 and 32 bits, and finished by Barrett
// reduction. The folding constants are powers of x modulo the CRC
// polynomial, computed below at compile time in the reflected bit order the
// ZIP CRC uses.
#include "unzip/crc32.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace {

constexpr uint64_t kPolynomial = 0x104C11DB7;  // the CRC-32 polynomial, x^32 included, normal bit order

// x^n mod P, normal bit order.
constexpr uint64_t XPowModP(unsigned n) {
    uint64_t r = 1;
    for (unsigned i = 0; i < n; ++i) {
        r <<= 1;
        if (r >> 32) r ^= kPolynomial;
    }
    return r;
}

constexpr uint64_t Reflect(uint64_t v, unsigned bits) {
    uint64_t r = 0;
    for (unsigned i = 0; i < bits; ++i) r |= ((v >> i) & 1) << (bits - 1 - i);
    return r;
}

// A folding constant: x^n mod P, reflected, shifted to line up with the
// 64-bit products of the reflected data.
constexpr uint64_t FoldConstant(unsigned n) { return Reflect(XPowModP(n), 32) << 1; }

// floor(x^64 / P), reflected over 33 bits: long division over GF(2). The
// first step clears x^64 itself, which leaves x^64 + P x^32 in 64 bits.
constexpr uint64_t BarrettQuotient() {
    uint64_t remainder = kPolynomial << 32;  // bit 64 drops out of the word
    uint64_t quotient = uint64_t{1} << 32;
    for (int bit = 63; bit >= 32; --bit) {
        if ((remainder >> bit) & 1) {
            remainder ^= kPolynomial << (bit - 32);
            quotient |= uint64_t{1} << (bit - 32);
        }
    }
    return Reflect(quotient, 33);
}

constexpr uint64_t kFold512Low = FoldConstant(4 * 128 + 32), kFold512High = FoldConstant(4 * 128 - 32);
constexpr uint64_t kFold128Low = FoldConstant(128 + 32), kFold128High = FoldConstant(128 - 32);
constexpr uint64_t kFold64 = FoldConstant(64);
constexpr uint64_t kPolyReflected = Reflect(kPolynomial, 33), kQuotient = BarrettQuotient();
static_assert(kFold512Low == 0x154442bd4 && kPolyReflected == 0x1db710641 && kQuotient == 0x1f7011641,
              "folding constants");

__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold(__m128i x, __m128i k) {
    return _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11));
}

__attribute__((target("pclmul,sse4.1"))) inline __m128i Load(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

}  // namespace

// The raw register after length bytes (a multiple of 16, at least 64).
__attribute__((target("pclmul,sse4.1"))) uint32_t Crc32FoldClmul(uint32_t reg, const uint8_t* p, size_t length) {
    const __m128i k512 = _mm_set_epi64x(static_cast<long long>(kFold512High), static_cast<long long>(kFold512Low));
    const __m128i k128 = _mm_set_epi64x(static_cast<long long>(kFold128High), static_cast<long long>(kFold128Low));
    __m128i x0 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(static_cast<int>(reg)));
    __m128i x1 = Load(p + 16), x2 = Load(p + 32), x3 = Load(p + 48);
    p += 64;
    length -= 64;
    for (; length >= 64; p += 64, length -= 64) {
        x0 = _mm_xor_si128(Fold(x0, k512), Load(p));
        x1 = _mm_xor_si128(Fold(x1, k512), Load(p + 16));
        x2 = _mm_xor_si128(Fold(x2, k512), Load(p + 32));
        x3 = _mm_xor_si128(Fold(x3, k512), Load(p + 48));
    }
    __m128i x = _mm_xor_si128(Fold(x0, k128), x1);
    x = _mm_xor_si128(Fold(x, k128), x2);
    x = _mm_xor_si128(Fold(x, k128), x3);
    for (; length >= 16; p += 16, length -= 16) x = _mm_xor_si128(Fold(x, k128), Load(p));

    const __m128i mask32 = _mm_set_epi32(0, 0, 0, -1);
    // 128 bits to 64.
    x = _mm_xor_si128(_mm_clmulepi64_si128(x, k128, 0x10), _mm_srli_si128(x, 8));
    // 64 bits to 32.
    const __m128i k64 = _mm_set_epi64x(0, static_cast<long long>(kFold64));
    x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, mask32), k64, 0x00), _mm_srli_si128(x, 4));
    // Barrett reduction.
    const __m128i barrett = _mm_set_epi64x(static_cast<long long>(kQuotient), static_cast<long long>(kPolyReflected));
    __m128i t = _mm_and_si128(_mm_clmulepi64_si128(_mm_and_si128(x, mask32), barrett, 0x10), mask32);
    t = _mm_clmulepi64_si128(t, barrett, 0x00);
    return static_cast<uint32_t>(_mm_extract_epi32(_mm_xor_si128(t, x), 1));
}

bool Crc32HasClmul() {
    static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return has;
}

#else

uint32_t Crc32FoldClmul(uint32_t reg, const uint8_t*, size_t) { return reg; }
bool Crc32HasClmul() { return false; }

#endif
