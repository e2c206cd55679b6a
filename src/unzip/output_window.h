// The output side of the decoders: a window of 32 KiB of history followed
// by room for new bytes and some slack, handed to the sink in large pieces.
// Matches copy from the history; the legacy formats read zero bytes before
// the first output byte, so for them the history starts zeroed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "unzip/decode_io.h"

struct TOutputWindow {
    static constexpr size_t kHistory = 32768;
    static constexpr size_t kChunk = 192 * 1024;
    static constexpr size_t kSlack = 320;  // a 258-byte match plus whole-word overshoot
    static constexpr size_t kFlushAt = kHistory + kChunk;

    uint8_t data[kHistory + kChunk + kSlack];
    size_t pos = 0;      // next output byte
    size_t flushed = 0;  // output before this has gone to the sink
    TByteSink* sink = nullptr;

    // Starts a new entry. With zeroHistory, output starts after 32 KiB of zero bytes.
    void Begin(TByteSink& to, bool zeroHistory) {
        sink = &to;
        pos = flushed = zeroHistory ? kHistory : 0;
        if (zeroHistory) std::memset(data, 0, kHistory);
    }
    // Hands new output to the sink; past kFlushAt keeps the last 32 KiB as history.
    void Flush(bool final) {
        if (pos > flushed) sink->Put(data + flushed, pos - flushed);
        flushed = pos;
        if (final || pos < kFlushAt) return;
        std::memmove(data, data + pos - kHistory, kHistory);
        pos = flushed = kHistory;
    }
    // Makes room for at least one match.
    void Room() {
        if (pos >= kFlushAt) Flush(false);
    }
    void Byte(uint8_t b) {
        Room();
        data[pos++] = b;
    }
    // A match of up to 258 bytes from distance back (at most kHistory).
    void CopyByte(size_t distance, size_t length) {
        Room();
        uint8_t* dst = data + pos;
        const uint8_t* src = dst - distance;
        for (size_t i = 0; i < length; ++i) dst[i] = src[i];
        pos += length;
    }
    // A match of any length, in pieces that fit the slack.
    void Copy(size_t distance, size_t length) {
        while (length > 0) {
            const size_t piece = length < 256 ? length : 256;
            CopyByte(distance, piece);
            length -= piece;
        }
    }
};
