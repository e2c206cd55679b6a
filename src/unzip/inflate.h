// Inflate: the deflate format of RFC 1951, table driven, with a fast loop
// for the bulk of the data and a careful one near the ends of input and
// output. Invalid data stops decoding silently (the caller's CRC check
// follows); nothing is read or written outside the buffers.
#pragma once

#include <cstdint>
#include <memory>

#include "unzip/decode_io.h"

class TInflater {
public:
    TInflater();
    ~TInflater();
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;

    // Decodes one deflate stream. True when it ended with its last block;
    // false for invalid data or input that ran out first. What was decoded
    // before the fault has been put to the sink either way.
    bool Inflate(TByteSource& source, TByteSink& sink);

private:
    struct State;
    std::unique_ptr<State> state_;
};
