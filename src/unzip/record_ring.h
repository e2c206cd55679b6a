// A ring of records passed from one thread to another without a lock: each
// record is a fixed 32-byte head followed by its data (a block of output),
// so the records of small entries pack densely and the memory stays what
// the ring was made with. One thread reserves and publishes, the other
// reads and pops; neither ever waits here (the decoding thread waits beside
// it, on a condition of its own). A record that would run past the end of
// the ring starts again at its beginning, after a wrap record filling the gap.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

struct TRingRecord {
    static constexpr uint8_t kWrap = 0xFF;  // fills the ring's end; never seen by the reader
    uint8_t kind = 0;
    uint8_t outcome = 0;
    uint16_t flags = 0;
    uint32_t length = 0;  // bytes of data after the head
    uint32_t job = 0;
    int32_t index = 0;
    uint32_t offers = 0;
    uint32_t crc = 0;
    uint32_t reserved[2] = {};

    uint8_t* Data() { return reinterpret_cast<uint8_t*>(this + 1); }
    const uint8_t* Data() const { return reinterpret_cast<const uint8_t*>(this + 1); }
};
static_assert(sizeof(TRingRecord) == 32, "records are laid out in 32-byte steps");

class TRecordRing {
public:
    // capacity: a power of two, at least two of the largest records.
    explicit TRecordRing(uint32_t capacity)
        : buffer_(new TRingRecord[capacity / sizeof(TRingRecord)]), capacity_(capacity) {}

    uint32_t Capacity() const { return capacity_; }
    // Bytes the ring has free (either thread).
    uint32_t Free() const { return capacity_ - (head_.load() - tail_.load()); }
    bool Empty() const { return head_.load() == tail_.load(); }
    // Bytes ever published; wraps round.
    uint32_t Published() const { return head_.load(); }

    // The writer: the bytes a record of length bytes of data takes here,
    // with the gap it leaves when it must start again at the beginning.
    uint32_t Room(uint32_t length) const {
        const uint32_t size = Size(length), position = head_.load(std::memory_order_relaxed) & (capacity_ - 1);
        return capacity_ - position < size ? capacity_ - position + size : size;
    }
    // A record to fill, or null while the ring has no room for it; nothing
    // the reader sees until Publish.
    TRingRecord* TryReserve(uint32_t length) {
        const uint32_t head = head_.load(std::memory_order_relaxed), room = Room(length);
        if (Free() < room) return nullptr;
        const uint32_t gap = room - Size(length);
        if (gap > 0) {
            TRingRecord* wrap = At(head);
            *wrap = TRingRecord{};
            wrap->kind = TRingRecord::kWrap;
            wrap->length = gap - sizeof(TRingRecord);
        }
        reserved_ = head + room;
        TRingRecord* record = At(head + gap);
        *record = TRingRecord{};
        record->length = length;
        return record;
    }
    void Publish() { head_.store(reserved_); }

    // The reader: the oldest record, or null while there is none.
    const TRingRecord* TryFront() {
        uint32_t tail = tail_.load(std::memory_order_relaxed);
        while (tail != head_.load()) {
            const TRingRecord* record = At(tail);
            if (record->kind != TRingRecord::kWrap) return record;
            tail += Size(record->length);
            tail_.store(tail);
        }
        return nullptr;
    }
    void Pop() {
        const uint32_t tail = tail_.load(std::memory_order_relaxed);
        tail_.store(tail + Size(At(tail)->length));
    }

    // Drops every record; only while neither thread uses the ring.
    void Clear() { tail_.store(head_.load()); }

private:
    static uint32_t Size(uint32_t length) {
        return (static_cast<uint32_t>(sizeof(TRingRecord)) + length + 31u) & ~31u;
    }
    TRingRecord* At(uint32_t position) const {
        return buffer_.get() + (position & (capacity_ - 1)) / sizeof(TRingRecord);
    }

    std::unique_ptr<TRingRecord[]> buffer_;
    const uint32_t capacity_;
    // Bytes ever published and ever popped; they wrap round together, and
    // their difference is what the ring holds. Sequentially consistent, so
    // that a thread about to wait and the one that would wake it cannot
    // both miss the other's change.
    std::atomic<uint32_t> head_{0};
    std::atomic<uint32_t> tail_{0};
    uint32_t reserved_ = 0;
};
