// What a decoder reads from and writes to: entry data arrives in chunks
// (decrypted blocks of up to 16000 bytes), and decoded bytes leave through a
// sink. Calls happen per chunk, never per byte.
#pragma once

#include <cstddef>
#include <cstdint>

class TByteSource {
public:
    virtual ~TByteSource() = default;
    // The next chunk of entry data; 0 bytes when the entry's data is used up.
    virtual size_t NextChunk(const uint8_t*& data) = 0;
};

class TByteSink {
public:
    virtual ~TByteSink() = default;
    virtual void Put(const uint8_t* data, size_t length) = 0;
};

// A source over one buffer in memory, for tests, fuzzing and benchmarks.
class TMemorySource : public TByteSource {
public:
    TMemorySource(const uint8_t* data, size_t length, size_t chunk = 16000)
        : data_(data), left_(length), chunk_(chunk ? chunk : 1) {}
    size_t NextChunk(const uint8_t*& data) override {
        size_t n = left_ < chunk_ ? left_ : chunk_;
        data = data_;
        data_ += n;
        left_ -= n;
        return n;
    }

private:
    const uint8_t* data_;
    size_t left_;
    size_t chunk_;
};
