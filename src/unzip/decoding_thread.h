// Entry data decoded on a thread of its own, ahead of the caller's thread.
//
// The thread reads the archive through a handle of its own and, for the
// entries the run is expected to extract, one after another, reads the
// local header, checks the password, decrypts, decodes and computes the
// CRC, and queues what the caller's thread will need in a ring of fixed
// size: the outcome of each step and the output blocks, each with the
// number of offers to let window messages through that came before it. The
// caller's thread takes them from there: it makes every file, every decision
// and every event, and lets messages through where the records say, so it
// sees exactly what decoding on its own thread would give it.
//
// Where the caller departs from what the thread expected, the work done
// ahead is dropped: a skipped entry's rest is discarded (the thread leaves
// it at its next block); a retry, a new password or an entry taken out of
// the expected order restarts the thread at the entry the caller wants.
// Nothing the thread does is seen by anyone but the caller's thread, and
// only through the ring.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "unzip/entry_decoder.h"
#include "unzip/record_ring.h"

class TDecodingThread final : public TEntrySource {
public:
    // An entry the run is expected to extract, by its index in the view.
    struct TPlanned {
        int32_t index;
        TEntryCoding coding;
    };
    // The ring's size: room for dozens of blocks, and for hundreds of small files.
    static constexpr uint32_t kRingBytes = 1024 * 1024;
    // Either thread, having found the ring empty or full, sleeps until the
    // other has made this much work or room: waking for every record would
    // cost more than the waiting saves.
    static constexpr uint32_t kBatchBytes = kRingBytes / 4;

    // Opens the archive once more (raising the stream's open error when it
    // cannot) and starts decoding the plan's entries with password, the
    // component's own, which the caller's thread may change at any time.
    // std::system_error when no thread can be started.
    TDecodingThread(const std::string& archive, std::vector<TPlanned> plan, const std::string& password);
    // Stops the thread, wherever it is.
    ~TDecodingThread() override;
    TDecodingThread(const TDecodingThread&) = delete;
    TDecodingThread& operator=(const TDecodingThread&) = delete;

    // The caller's side: the entry's records, in the order decoding gave them.
    void Locate(int32_t index, const TEntryCoding& entry) override;
    bool CheckPassword(const std::string& password, bool again) override;
    TDecodeOutcome Decode(TBlockReceiver& receiver) override;
    uint32_t Crc() const override { return crc_; }
    void Leave() override;

private:
    class TWorker;
    struct TCommand {
        bool restart = false;     // else: the plan from its start
        bool fromCheck = false;   // the first entry again from its password check
        int32_t index = 0;
        TEntryCoding coding;
        std::string password;
    };

    // The caller's side.
    // The oldest record; waits for the thread while there is none.
    const TRingRecord& Next();
    void Pop();
    // Tells a caller waiting in Next of new records (the thread's side):
    // once a good part of the ring has come since it began to wait, or at
    // once when urgent (the thread is about to wait itself, or has stopped).
    void WakeReader(bool urgent);
    void Restart(const std::string& password, bool fromCheck);
    void FinishJob();
    [[noreturn]] void RethrowFailure();

    // Shared by both threads: the ring, and the waiting beside it.
    TRecordRing ring_{kRingBytes};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::atomic<bool> readerWaiting_{false};
    std::atomic<uint32_t> readerWakesAt_{0};   // the bytes published at which a waiting caller is woken
    std::atomic<uint32_t> writerWaitsFor_{0};  // bytes of room the thread waits for; 0 while it runs
    std::atomic<uint32_t> generation_{0};      // of the command in force
    std::atomic<bool> stop_{false};
    std::atomic<bool> idle_{false};            // the thread waits for a command
    std::atomic<uint32_t> dropJob_{0};         // the job whose work is no longer wanted
    TCommand command_;                          // under mutex_
    uint32_t acknowledged_ = 0;                 // under mutex_: the generation the thread took up
    std::exception_ptr failure_;                // set before a record that carries a failure

    const std::vector<TPlanned> plan_;
    std::unique_ptr<TWorker> worker_;

    // The caller's own.
    const std::string& password_;
    std::string sentPassword_;  // what the thread decodes with
    int32_t locatedIndex_ = 0;
    TEntryCoding located_;
    uint32_t job_ = 0;       // the located entry's job in the thread
    bool jobOpen_ = false;   // records of that job are still to come
    bool parked_ = false;    // the thread stopped after the last record taken
    uint32_t crc_ = 0;

    std::thread thread_;
};
