// Shared pieces of the fuzz targets: a sink that only counts, and reading
// small parameters off the front of the input.
#pragma once

#include <cstddef>
#include <cstdint>

#include "unzip/decode_io.h"

struct TCountingSink : TByteSink {
    uint64_t total = 0;
    uint8_t last = 0;
    void Put(const uint8_t* data, size_t length) override {
        total += length;
        last ^= data[length - 1];  // touch the bytes so their reads are checked
    }
};

// Takes n bytes off the front of the input as a little-endian number (0 when short).
inline uint32_t TakeParameter(const uint8_t*& data, size_t& size, unsigned n) {
    uint32_t v = 0;
    for (unsigned i = 0; i < n && size > 0; ++i, ++data, --size) v |= uint32_t{*data} << (8 * i);
    return v;
}
