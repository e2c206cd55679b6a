// Entry data read and decoded on threads of their own, ahead of the
// caller's thread.
//
// For the entries the run is expected to extract, one after another, a
// reading thread reads the local header through a handle of its own on the
// archive, checks the password and reads and decrypts the data, and a
// decoding thread decodes it and computes the CRC; each hands on what the
// next needs in a ring of fixed size: the outcome of each step and the
// blocks of data, and finally the output blocks, each with the number of
// offers to let window messages through that came before it. (Decryption
// is a chain from byte to byte and takes most of the time of an encrypted
// entry, so it gets a processor of its own.) The caller's thread takes the
// records from there: it makes every file, every decision and every event,
// and lets messages through where the records say, so it sees exactly what
// decoding on its own thread would give it.
//
// Where the caller departs from what the threads expected, the work done
// ahead is dropped: a skipped entry's rest is discarded (the threads leave
// it at their next block); a retry, a new password or an entry taken out of
// the expected order restarts them at the entry the caller wants. Nothing
// the threads do is seen by anyone but the caller's thread, and only
// through the rings.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "unzip/entry_source.h"
#include "unzip/record_channel.h"

class TDecodingThread final : public TEntrySource {
public:
    // An entry the run is expected to extract, by its index in the view.
    struct TPlanned {
        int32_t index;
        TEntryCoding coding;
    };
    // The rings: the output's holds dozens of blocks and hundreds of small
    // files; the input's is what the decoding thread needs to keep busy.
    static constexpr uint32_t kOutputRingBytes = 1024 * 1024;
    static constexpr uint32_t kInputRingBytes = 256 * 1024;

    // Opens the archive once more (raising the stream's open error when it
    // cannot) and starts on the plan's entries with password, the
    // component's own, which the caller's thread may change at any time.
    // std::system_error when the threads cannot be started.
    TDecodingThread(const std::string& archive, std::vector<TPlanned> plan, const std::string& password);
    // Stops the threads, wherever they are.
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
    class TReading;
    class TDecoding;
    struct TCommand {
        bool restart = false;    // else: the plan from its start
        bool fromCheck = false;  // the first entry again from its password check
        int32_t index = 0;
        TEntryCoding coding;
        std::string password;
    };

    // The threads' side: waits for a command and takes it up; false at the end.
    bool TakeCommand(uint32_t& generation, std::atomic<uint32_t>& acknowledged, TCommand& command);
    bool Interrupted(uint32_t generation) const { return stop_.load() || generation_.load() != generation; }
    void Idle(std::atomic<bool>& idle);
    // With the lock held: every waiting thread looks at its condition again.
    void WakeAll();
    void StopThreads();

    // The caller's side.
    const TRingRecord& Next();
    void Restart(const std::string& password, bool fromCheck);
    void FinishJob();
    [[noreturn]] void RethrowFailure();

    // Shared by the three threads, under mutex_ where not atomic.
    std::mutex mutex_;
    std::condition_variable control_;        // commands, acknowledgements, the go-ahead, idleness
    TRecordChannel input_{kInputRingBytes, mutex_};    // reading to decoding
    TRecordChannel output_{kOutputRingBytes, mutex_};  // decoding to the caller
    std::atomic<uint32_t> generation_{0};    // of the command in force
    std::atomic<uint32_t> go_{0};            // the generation both threads may start on
    std::atomic<uint32_t> readingTook_{0}, decodingTook_{0};  // the generations they acknowledged
    std::atomic<bool> readingIdle_{false}, decodingIdle_{false};
    std::atomic<bool> stop_{false};
    std::atomic<uint32_t> dropJob_{0};       // the job whose work is no longer wanted
    TCommand command_;
    std::deque<std::exception_ptr> inputFailures_;  // one per failure record in the input ring, in order
    std::exception_ptr outputFailure_;              // of the failure record in the output ring

    const std::vector<TPlanned> plan_;
    std::unique_ptr<TReading> reading_;
    std::unique_ptr<TDecoding> decoding_;

    // The caller's own.
    const std::string& password_;
    std::string sentPassword_;  // what the threads decode with
    int32_t locatedIndex_ = 0;
    TEntryCoding located_;
    uint32_t job_ = 0;      // the located entry's job in the threads
    bool jobOpen_ = false;  // records of that job are still to come
    bool parked_ = false;   // the threads stopped after the last record taken
    uint32_t crc_ = 0;

    std::thread readingThread_, decodingThread_;
};
