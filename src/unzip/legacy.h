// Decoders of the compression methods older archivers still write: shrink
// (method 1), reduce (methods 2 to 5) and implode (method 6). Each checks
// every code against its tables and stops (returning false) on corrupt data
// or data that runs out before the output is complete; nothing is read or
// written outside the buffers. Their storage is made on first use.
#pragma once

#include <cstdint>
#include <memory>

#include "unzip/decode_io.h"

class TUnshrinker {
public:
    TUnshrinker();
    ~TUnshrinker();
    // Decodes until the compressed data is used up.
    bool Unshrink(TByteSource& source, TByteSink& sink);

private:
    struct State;
    std::unique_ptr<State> state_;
};

class TUnreducer {
public:
    TUnreducer();
    ~TUnreducer();
    // factor 1 to 4 (method - 1); decodes until size bytes are produced.
    bool Unreduce(TByteSource& source, TByteSink& sink, unsigned factor, uint32_t size);

private:
    struct State;
    std::unique_ptr<State> state_;
};

class TExploder {
public:
    TExploder();
    ~TExploder();
    // flags: the entry's general purpose flags (bit 1: 8 KiB dictionary,
    // bit 2: a literal tree); decodes until size bytes are produced.
    bool Explode(TByteSource& source, TByteSink& sink, uint16_t flags, uint32_t compressedSize, uint32_t size);

private:
    struct State;
    std::unique_ptr<State> state_;
};
