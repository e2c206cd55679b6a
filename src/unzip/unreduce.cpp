// Unreduce: follower sets (for each byte, the bytes likely to follow it)
// shorten the input, and a state machine around the escape byte 144 turns
// it into literals and (distance, length) copies from a 16 KiB window.
#include "unzip/bit_reader.h"
#include "unzip/legacy.h"
#include "unzip/output_window.h"

namespace {

constexpr uint8_t kEscape = 144;

// Bits of a follower index for a set of n followers: enough for n - 1, at least 1.
unsigned IndexBits(unsigned n) {
    unsigned bits = 1;
    while ((1u << bits) < n) ++bits;
    return bits;
}

}  // namespace

struct TUnreducer::State {
    uint8_t followers[256][64];
    uint8_t counts[256];
    TBitReader r;
    TOutputWindow w;
    bool Run(unsigned factor, uint32_t size);
};

TUnreducer::TUnreducer() = default;
TUnreducer::~TUnreducer() = default;

bool TUnreducer::Unreduce(TByteSource& source, TByteSink& sink, unsigned factor, uint32_t size) {
    if (factor < 1 || factor > 4) return false;
    if (!state_) state_ = std::make_unique<State>();
    State& s = *state_;
    s.r.Begin(source);
    s.w.Begin(sink, true);  // references before the first byte read zeros
    const bool ok = s.Run(factor, size);
    s.w.Flush(true);
    return ok;
}

bool TUnreducer::State::Run(unsigned factor, uint32_t size) {
    // The follower sets, for 255 down to 0: a 6-bit count, then the bytes.
    for (int c = 255; c >= 0; --c) {
        uint32_t n;
        if (!r.Take(6, n)) return false;
        counts[c] = static_cast<uint8_t>(n);
        for (uint32_t i = 0; i < n; ++i) {
            uint32_t follower;
            if (!r.Take(8, follower)) return false;
            followers[c][i] = static_cast<uint8_t>(follower);
        }
    }
    const unsigned lengthMask = 0xFFu >> factor;  // 0x7F, 0x3F, 0x1F, 0x0F
    uint64_t produced = 0;
    uint8_t last = 0;
    unsigned state = 0, length = 0, v = 0;
    while (produced < size) {
        // The next byte: a follower of the last one, or a literal.
        uint32_t c;
        const unsigned n = counts[last];
        if (n == 0) {
            if (!r.Take(8, c)) return false;
        } else {
            uint32_t literal;
            if (!r.Take(1, literal)) return false;
            if (literal) {
                if (!r.Take(8, c)) return false;
            } else {
                uint32_t index;
                if (!r.Take(IndexBits(n), index) || index >= n) return false;
                c = followers[last][index];
            }
        }
        last = static_cast<uint8_t>(c);

        switch (state) {
        case 0:
            if (c == kEscape) {
                state = 1;
            } else {
                w.Byte(static_cast<uint8_t>(c));
                ++produced;
            }
            break;
        case 1:
            if (c == 0) {  // an escaped escape byte
                w.Byte(kEscape);
                ++produced;
                state = 0;
            } else {
                v = c;
                length = c & lengthMask;
                state = length == lengthMask ? 2 : 3;
            }
            break;
        case 2:
            length += c;
            state = 3;
            break;
        case 3: {
            const size_t distance = ((v >> (8 - factor)) << 8) + c + 1;
            size_t todo = length + 3;
            if (todo > size - produced) todo = static_cast<size_t>(size - produced);
            produced += todo;
            w.Copy(distance, todo);
            state = 0;
            break;
        }
        }
    }
    return true;
}
