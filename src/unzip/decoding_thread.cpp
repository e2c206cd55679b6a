#include "unzip/decoding_thread.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "unzip/entry_decoder.h"
#include "unzip/entry_reader.h"
#include "unzip/errors.h"

namespace {

// What the rings carry, per entry. Reading to decoding: a head record (the
// local header read; its data the entry's coding), a check record
// (encrypted entries), data blocks, an input end. Decoding to the caller: a
// head record (none when restarted at the password check), a check record,
// output blocks, an end record. A failure stops the thread that met it until
// the caller restarts it (a failure to read data only when decoding needs
// the data); so does the end of the plan.
enum TRecordKind : uint8_t { kHead, kCheck, kBlock, kInputEnd, kEnd, kFinished };
enum TOutcome : uint8_t {
    kDone,           // head: located; input end: all read; end: decoded
    kFailed,         // an error, in the ring's failures; the thread stops after it
    kOpened,         // check: the password opens the entry
    kRefused,        // check: it does not
    kNotDecodable,   // end: an unknown method, nothing decoded
    kLarger,         // end: output longer than stated, stopped before the block that overran
    kLeft,           // input end, end: not decoded (refused, too short for a password, or dropped)
};
// Head records of the reading thread: the first entry of a restart at its
// password check, whose head the caller has had already.
constexpr uint16_t kFromCheck = 1;

// Thrown through a thread's work when the caller has a new command or stops
// the threads: the work in hand is abandoned.
struct TAbandoned {};
// Thrown through the decoder when the caller no longer wants the entry.
struct TDropped {};

// An archive stream of the reading thread's own.
class TOwnArchive final : public TArchiveReader {
public:
    explicit TOwnArchive(const std::string& path) : archive_(path) {}
    TBufferStream& Stream() override { return archive_.stream; }

private:
    TArchiveStream archive_;
};

}  // namespace

// ---- The reading thread -------------------------------------------------------

class TDecodingThread::TReading {
public:
    TReading(TDecodingThread& owner, const std::string& archive)
        : owner_(owner), archive_(archive), reader_(archive_) {}

    void Run() {
        TCommand command;
        while (owner_.TakeCommand(generation_, owner_.readingTook_, command)) {
            try {
                Follow(command);
                owner_.Idle(owner_.readingIdle_);
            } catch (const TAbandoned&) {
                // a newer command, or the end
            }
        }
    }

private:
    // The plan from the command's entry on; returns when it is done or after a failure.
    void Follow(const TCommand& command) {
        password_ = command.password;
        const std::vector<TPlanned>& plan = owner_.plan_;
        auto next = plan.begin();
        if (command.restart) {
            if (!Read(command.index, command.coding, command.fromCheck)) return;
            next = std::upper_bound(plan.begin(), plan.end(), command.index,
                                    [](int32_t index, const TPlanned& p) { return index < p.index; });
        }
        for (; next != plan.end(); ++next)
            if (!Read(next->index, next->coding, false)) return;
        Emit(kFinished, kDone, true);
    }

    // One entry; false after a failure the decoding thread stops at.
    bool Read(int32_t index, const TEntryCoding& coding, bool fromCheck) {
        job_ = ++lastJob_;
        index_ = index;
        bool located = true;
        try {
            reader_.Locate(coding);
        } catch (...) {
            Fail();
            located = false;
        }
        TRingRecord& head = Reserve(sizeof coding);
        head.kind = kHead;
        head.outcome = located ? kDone : kFailed;
        head.flags = fromCheck ? kFromCheck : 0;
        std::memcpy(head.Data(), &coding, sizeof coding);
        owner_.input_.Publish(!located);
        if (!located) return false;
        if (coding.Encrypted()) {
            // The caller asks no password for an entry too short to hold its header.
            if (coding.compressedSize < 12) {
                Emit(kInputEnd, kLeft);
                return true;
            }
            bool opened = false;
            try {
                opened = reader_.CheckPassword(password_, false);
            } catch (...) {
                Fail();
                Emit(kCheck, kFailed, true);
                return false;
            }
            Emit(kCheck, opened ? kOpened : kRefused);
            if (!opened) {
                Emit(kInputEnd, kLeft);
                return true;
            }
        }
        try {
            reader_.StartData();
            for (uint32_t remaining = coding.compressedSize - (coding.Encrypted() ? 12 : 0); remaining > 0;) {
                if (owner_.dropJob_.load() == job_) {
                    Emit(kInputEnd, kLeft);
                    return true;
                }
                const uint32_t n = std::min<uint32_t>(remaining, TEntryReader::kBlockSize);
                TRingRecord& block = Reserve(n);
                block.kind = kBlock;
                reader_.ReadBlock(block.Data(), n);
                owner_.input_.Publish(false);
                remaining -= n;
            }
        } catch (const TAbandoned&) {
            throw;
        } catch (...) {
            // Decoding may stop before it needs these bytes; it meets the failure only if it does.
            Fail();
            Emit(kInputEnd, kFailed);
            return true;
        }
        Emit(kInputEnd, kDone);
        return true;
    }

    TRingRecord& Reserve(uint32_t length) {
        TRingRecord* record = owner_.input_.Reserve(length, [this] { return owner_.Interrupted(generation_); });
        if (!record) throw TAbandoned();
        record->job = job_;
        record->index = index_;
        return *record;
    }
    void Emit(TRecordKind kind, uint8_t outcome, bool urgent = false) {
        TRingRecord& record = Reserve(0);
        record.kind = kind;
        record.outcome = outcome;
        owner_.input_.Publish(urgent);
    }
    void Fail() {
        std::lock_guard<std::mutex> lock(owner_.mutex_);
        owner_.inputFailures_.push_back(std::current_exception());
    }

    TDecodingThread& owner_;
    TOwnArchive archive_;
    TEntryReader reader_;
    uint32_t generation_ = 0;
    std::string password_;
    uint32_t lastJob_ = 0;
    uint32_t job_ = 0;
    int32_t index_ = 0;
};

// ---- The decoding thread ------------------------------------------------------

class TDecodingThread::TDecoding final : TBlockSource, TBlockReceiver {
public:
    explicit TDecoding(TDecodingThread& owner) : owner_(owner) {}

    void Run() {
        TCommand ignored;
        while (owner_.TakeCommand(generation_, owner_.decodingTook_, ignored)) {
            try {
                Relay();
                owner_.Idle(owner_.decodingIdle_);
            } catch (const TAbandoned&) {
                // a newer command, or the end
            }
        }
    }

private:
    // Entry after entry from the input ring to the output ring; returns at
    // the end of the plan or after a failure.
    void Relay() {
        for (;;) {
            const TRingRecord& head = NextInput();
            if (head.kind == kFinished) {
                PopInput();
                Emit(kFinished, kDone, 0, true);
                return;
            }
            job_ = head.job;
            index_ = head.index;
            offers_ = 0;
            TEntryCoding coding;
            std::memcpy(&coding, head.Data(), sizeof coding);
            const bool fromCheck = head.flags & kFromCheck, located = head.outcome == kDone;
            PopInput();
            if (!located) {
                PassOnFailure();
                Emit(fromCheck ? kCheck : kHead, kFailed, 0, true);
                return;
            }
            if (!fromCheck) {
                TRingRecord& record = Reserve(sizeof coding);
                record.kind = kHead;
                record.outcome = kDone;
                std::memcpy(record.Data(), &coding, sizeof coding);
                owner_.output_.Publish(false);
            }
            if (coding.Encrypted() && coding.compressedSize >= 12) {
                const uint8_t check = NextInput().outcome;
                PopInput();
                if (check == kFailed) {
                    PassOnFailure();
                    Emit(kCheck, kFailed, 0, true);
                    return;
                }
                Emit(kCheck, check);
            }
            if (!DecodeEntry(coding)) return;
        }
    }

    // One entry's data into output blocks and an end record; false after a failure.
    bool DecodeEntry(const TEntryCoding& coding) {
        inputEnded_ = holding_ = false;
        uint8_t outcome = kDone;
        std::exception_ptr failure;
        if (!InputLeft()) {
            try {
                outcome = decoder_.Decode(coding, *this, *this) == TDecodeOutcome::Decoded ? kDone : kNotDecodable;
            } catch (const ELargerThanStated&) {
                outcome = kLarger;
            } catch (const TDropped&) {
                outcome = kLeft;
            } catch (const TAbandoned&) {
                throw;
            } catch (...) {
                failure = std::current_exception();
                outcome = kFailed;
            }
        } else {
            outcome = kLeft;
        }
        // What decoding did not need of the entry's data.
        if (holding_) PopInput();
        while (!inputEnded_) {
            const TRingRecord& record = NextInput();
            if (record.kind == kInputEnd) {
                inputEnded_ = true;
                if (record.outcome == kFailed) TakeInputFailure();
            }
            PopInput();
        }
        if (outcome == kFailed) {
            std::lock_guard<std::mutex> lock(owner_.mutex_);
            owner_.outputFailure_ = failure;
        }
        Emit(kEnd, outcome, decoder_.Crc(), outcome == kFailed);
        return outcome != kFailed;
    }

    // Whether the entry's input ends before any data (refused or too short).
    bool InputLeft() {
        const TRingRecord& record = NextInput();
        if (record.kind != kInputEnd || record.outcome != kLeft) return false;
        PopInput();
        inputEnded_ = true;
        return true;
    }

    // TBlockSource: the next data block, from the input ring.
    const uint8_t* ReadBlock(size_t) override {
        if (holding_) {
            PopInput();
            holding_ = false;
        }
        const TRingRecord& record = NextInput();
        if (record.kind == kInputEnd) {  // read no further
            const uint8_t outcome = record.outcome;
            PopInput();
            inputEnded_ = true;
            if (outcome == kFailed) std::rethrow_exception(TakeInputFailure());
            throw TDropped();
        }
        holding_ = true;
        return record.Data();
    }

    // TBlockReceiver: into the output ring.
    void OfferMessages() override {
        ++offers_;
        CheckInterruption();
    }
    void Block(const uint8_t* data, size_t length) override {
        CheckInterruption();
        TRingRecord& record = Reserve(static_cast<uint32_t>(length));
        record.kind = kBlock;
        std::memcpy(record.Data(), data, length);
        owner_.output_.Publish(false);
    }

    void CheckInterruption() const {
        if (owner_.Interrupted(generation_)) throw TAbandoned();
        if (owner_.dropJob_.load() == job_) throw TDropped();
    }
    const TRingRecord& NextInput() {
        const TRingRecord* record = owner_.input_.Next(
            [this] { return owner_.Interrupted(generation_) || owner_.readingIdle_.load(); });
        if (!record) throw TAbandoned();  // a new command (the reading thread never idles before its last record)
        return *record;
    }
    void PopInput() { owner_.input_.Pop(); }
    std::exception_ptr TakeInputFailure() {
        std::lock_guard<std::mutex> lock(owner_.mutex_);
        std::exception_ptr failure = owner_.inputFailures_.front();
        owner_.inputFailures_.pop_front();
        return failure;
    }
    void PassOnFailure() {
        std::exception_ptr failure = TakeInputFailure();
        std::lock_guard<std::mutex> lock(owner_.mutex_);
        owner_.outputFailure_ = failure;
    }
    TRingRecord& Reserve(uint32_t length) {
        TRingRecord* record = owner_.output_.Reserve(length, [this] { return owner_.Interrupted(generation_); });
        if (!record) throw TAbandoned();
        record->job = job_;
        record->index = index_;
        record->offers = std::exchange(offers_, 0);
        return *record;
    }
    void Emit(TRecordKind kind, uint8_t outcome, uint32_t crc = 0, bool urgent = false) {
        TRingRecord& record = Reserve(0);
        record.kind = kind;
        record.outcome = outcome;
        record.crc = crc;
        owner_.output_.Publish(urgent);
    }

    TDecodingThread& owner_;
    TEntryDecoder decoder_;
    uint32_t generation_ = 0;
    uint32_t job_ = 0;
    int32_t index_ = 0;
    uint32_t offers_ = 0;      // since the last output record
    bool holding_ = false;     // the decoder still reads the input ring's oldest record
    bool inputEnded_ = false;  // the entry's input end was taken
};

// ---- Commands -------------------------------------------------------------------

bool TDecodingThread::TakeCommand(uint32_t& generation, std::atomic<uint32_t>& acknowledged, TCommand& command) {
    std::unique_lock<std::mutex> lock(mutex_);
    control_.wait(lock, [&] { return stop_.load() || generation_.load() != generation; });
    if (stop_.load()) return false;
    generation = generation_.load();
    acknowledged.store(generation);
    control_.notify_all();
    // The caller empties the rings while both threads wait here.
    control_.wait(lock, [&] { return stop_.load() || go_.load() == generation; });
    command = command_;
    return !stop_.load();
}

void TDecodingThread::Idle(std::atomic<bool>& idle) {
    std::lock_guard<std::mutex> lock(mutex_);
    idle.store(true);
    WakeAll();
}

TDecodingThread::TDecodingThread(const std::string& archive, std::vector<TPlanned> plan, const std::string& password)
    : plan_(std::move(plan)), reading_(std::make_unique<TReading>(*this, archive)),
      decoding_(std::make_unique<TDecoding>(*this)), password_(password), sentPassword_(password) {
    command_.password = password;
    generation_.store(1);
    go_.store(1);
    try {
        readingThread_ = std::thread([this] { reading_->Run(); });
        decodingThread_ = std::thread([this] { decoding_->Run(); });
    } catch (...) {
        StopThreads();
        throw;
    }
}

TDecodingThread::~TDecodingThread() { StopThreads(); }

void TDecodingThread::StopThreads() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_.store(true);
        WakeAll();
    }
    if (readingThread_.joinable()) readingThread_.join();
    if (decodingThread_.joinable()) decodingThread_.join();
}

void TDecodingThread::WakeAll() {
    control_.notify_all();
    input_.WakeBoth();
    output_.WakeBoth();
}

void TDecodingThread::Restart(const std::string& password, bool fromCheck) {
    std::unique_lock<std::mutex> lock(mutex_);
    command_.restart = true;
    command_.fromCheck = fromCheck;
    command_.index = locatedIndex_;
    command_.coding = located_;
    command_.password = password;
    const uint32_t generation = generation_.load() + 1;
    generation_.store(generation);
    WakeAll();
    control_.wait(lock, [&] { return readingTook_.load() == generation && decodingTook_.load() == generation; });
    // Both threads have left their work and wait: the rings are emptied,
    // and they begin with the located entry.
    input_.Clear();
    output_.Clear();
    inputFailures_.clear();
    outputFailure_ = nullptr;
    readingIdle_.store(false);
    decodingIdle_.store(false);
    go_.store(generation);
    control_.notify_all();
    sentPassword_ = password;
    jobOpen_ = false;
    parked_ = false;
}

// ---- The caller's side -----------------------------------------------------------

const TRingRecord& TDecodingThread::Next() {
    const TRingRecord* record = output_.Next([this] { return decodingIdle_.load(); });
    // Every stop of the threads is announced by a record read before
    // waiting for more; waiting on them then would never end.
    if (!record) throw std::logic_error("the decoding thread was waited for after it stopped");
    return *record;
}

void TDecodingThread::FinishJob() {
    if (!jobOpen_) return;
    dropJob_.store(job_);
    for (;;) {
        const TRingRecord& record = Next();
        const bool failed = record.outcome == kFailed, end = record.kind == kEnd;
        output_.Pop();
        if (failed) parked_ = true;
        if (failed || end) break;
    }
    jobOpen_ = false;
}

void TDecodingThread::RethrowFailure() {
    jobOpen_ = false;
    parked_ = true;
    std::exception_ptr failure;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        failure = outputFailure_;
    }
    std::rethrow_exception(failure);
}

void TDecodingThread::Locate(int32_t index, const TEntryCoding& entry) {
    locatedIndex_ = index;
    located_ = entry;
    crc_ = 0;
    FinishJob();
    if (parked_ || password_ != sentPassword_) Restart(password_, false);
    for (;;) {
        const TRingRecord& record = Next();
        if (record.kind == kFinished) {
            output_.Pop();
            Restart(password_, false);
            continue;
        }
        // The head of the next entry the threads took up.
        job_ = record.job;
        jobOpen_ = true;
        TEntryCoding coding;
        std::memcpy(&coding, record.Data(), sizeof coding);
        if (record.index == index && coding == entry) {
            const bool failed = record.outcome == kFailed;
            output_.Pop();
            if (failed) RethrowFailure();
            return;
        }
        if (record.index < index) {  // an entry the caller passed over
            FinishJob();
            if (parked_) Restart(password_, false);
            continue;
        }
        Restart(password_, false);
    }
}

bool TDecodingThread::CheckPassword(const std::string& password, bool again) {
    if (again || password != sentPassword_) Restart(password, true);
    const TRingRecord& record = Next();  // the located entry's check
    job_ = record.job;
    jobOpen_ = true;
    const uint8_t outcome = record.outcome;
    output_.Pop();
    if (outcome == kFailed) RethrowFailure();
    return outcome == kOpened;
}

TDecodeOutcome TDecodingThread::Decode(TBlockReceiver& receiver) {
    for (;;) {
        const TRingRecord& record = Next();
        for (uint32_t i = 0; i < record.offers; ++i) receiver.OfferMessages();
        if (record.kind == kBlock) {
            receiver.Block(record.Data(), record.length);
            output_.Pop();
            continue;
        }
        const uint8_t outcome = record.outcome;
        crc_ = record.crc;
        output_.Pop();
        jobOpen_ = false;
        switch (outcome) {
        case kDone: return TDecodeOutcome::Decoded;
        case kNotDecodable: return TDecodeOutcome::UnknownMethod;
        case kLarger: throw ELargerThanStated(kLargerThanStated);
        default: RethrowFailure();
        }
    }
}

void TDecodingThread::Leave() {
    if (jobOpen_) dropJob_.store(job_);
}
