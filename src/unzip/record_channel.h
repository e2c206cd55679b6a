// A ring of records between two threads, with the waiting beside it. Either
// thread waits only when the ring is full (the writer) or empty (the
// reader), and is woken only once the other has made a quarter of the ring
// in room or in work, or at once when that is urgent (the other is about to
// wait itself, or has stopped): waking for every record would cost more
// than the waiting saves. Waits end early when the caller's condition says
// so (a new command for the thread, or the other thread stopped).
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "unzip/record_ring.h"

class TRecordChannel {
public:
    // mutex: the lock of everything the two threads share besides the ring.
    TRecordChannel(uint32_t capacity, std::mutex& mutex) : ring_(capacity), mutex_(mutex), batch_(capacity / 4) {}

    // The writer: a record with length bytes of data to fill, waiting while
    // the ring is full; null once stop() holds.
    template <class Stop>
    TRingRecord* Reserve(uint32_t length, Stop stop) {
        for (;;) {
            if (stop()) return nullptr;
            if (TRingRecord* record = ring_.TryReserve(length)) return record;
            WakeReader(true);
            const uint32_t wanted = std::max(ring_.Room(length), batch_);
            std::unique_lock<std::mutex> lock(mutex_);
            writerWaitsFor_.store(wanted);
            writerWakes_.wait(lock, [&] { return ring_.Free() >= wanted || stop(); });
            writerWaitsFor_.store(0);
        }
    }
    void Publish(bool urgent) {
        ring_.Publish();
        WakeReader(urgent);
    }

    // The reader: the oldest record, waiting while there is none; null once
    // the ring is empty and stop() holds.
    template <class Stop>
    const TRingRecord* Next(Stop stop) {
        for (;;) {
            if (const TRingRecord* record = ring_.TryFront()) return record;
            std::unique_lock<std::mutex> lock(mutex_);
            readerWakesAt_.store(ring_.Published() + batch_);
            readerWaiting_.store(true);
            readerWakes_.wait(lock, [&] { return !ring_.Empty() || stop(); });
            readerWaiting_.store(false);
            if (ring_.Empty()) return nullptr;
        }
    }
    void Pop() {
        ring_.Pop();
        const uint32_t wanted = writerWaitsFor_.load();
        if (wanted == 0 || ring_.Free() < wanted) return;
        std::lock_guard<std::mutex> lock(mutex_);
        writerWakes_.notify_all();
    }

    // With the lock held: both threads look at their conditions again.
    void WakeBoth() {
        writerWakes_.notify_all();
        readerWakes_.notify_all();
    }
    // Drops every record; only while neither thread uses the ring.
    void Clear() { ring_.Clear(); }

private:
    void WakeReader(bool urgent) {
        if (!readerWaiting_.load()) return;
        if (!urgent && static_cast<int32_t>(ring_.Published() - readerWakesAt_.load()) < 0) return;
        std::lock_guard<std::mutex> lock(mutex_);
        readerWakes_.notify_all();
    }

    TRecordRing ring_;
    std::mutex& mutex_;
    const uint32_t batch_;
    std::condition_variable writerWakes_, readerWakes_;
    std::atomic<bool> readerWaiting_{false};
    std::atomic<uint32_t> readerWakesAt_{0};  // the bytes published at which a waiting reader is woken
    std::atomic<uint32_t> writerWaitsFor_{0};  // the room a waiting writer waits for; 0 while it writes
};
