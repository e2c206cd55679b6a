#include "unzip/decoding_thread.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "unzip/errors.h"

namespace {

// What the thread queues, per entry: a head record (the local header read),
// a check record (encrypted entries), block records, an end record. A
// failure ends the thread's work until the caller restarts it; so does the
// end of the plan.
enum TRecordKind : uint8_t { kHead, kCheck, kBlock, kEnd, kFinished };
enum TOutcome : uint8_t {
    kDone,           // head: located; end: decoded
    kFailed,         // an error, in failure_; the thread stops after it
    kOpened,         // check: the password opens the entry
    kRefused,        // check: it does not
    kNotDecodable,  // end: an unknown method, nothing decoded
    kLarger,         // end: output longer than stated, stopped before the block that overran
    kLeft,           // end: not decoded (refused, too short for a password, or dropped)
};

// Thrown through the decoder when the caller has a new command for the
// thread or stops it: the work in hand is abandoned.
struct TAbandoned {};
// Thrown through the decoder when the caller no longer wants the entry.
struct TDropped {};

}  // namespace

// The thread's side: its own archive handle and decoder; the decoder's
// blocks go into the ring.
class TDecodingThread::TWorker final : TArchiveReader, TBlockReceiver {
public:
    TWorker(TDecodingThread& owner, const std::string& archive) : owner_(owner), archive_(archive), decoder_(*this) {}

    void Run();

private:
    TBufferStream& Stream() override { return archive_.stream; }
    void OfferMessages() override;
    void Block(const uint8_t* data, size_t length) override;

    // Decodes the plan from the command's entry on; returns when the plan
    // is done or after a failure.
    void Follow(const TCommand& command);
    // One entry; false after a failure.
    bool DecodeEntry(int32_t index, const TEntryCoding& coding, bool fromCheck);
    // Queues a record; waits while the ring is full.
    TRingRecord& Reserve(uint32_t length);
    void Emit(TRecordKind kind, uint8_t outcome, uint32_t crc = 0);
    bool Interrupted() const { return owner_.stop_.load() || owner_.generation_.load() != generation_; }
    void CheckInterruption() const {
        if (Interrupted()) throw TAbandoned();
        if (owner_.dropJob_.load() == job_) throw TDropped();
    }
    void Fail(TRecordKind kind) {
        owner_.failure_ = std::current_exception();
        Emit(kind, kFailed);
    }

    TDecodingThread& owner_;
    TArchiveStream archive_;
    TEntryDecoder decoder_;
    uint32_t generation_ = 0;
    std::string password_;
    uint32_t lastJob_ = 0;
    uint32_t job_ = 0;
    int32_t index_ = 0;
    uint32_t offers_ = 0;  // since the last record
};

void TDecodingThread::TWorker::Run() {
    for (;;) {
        TCommand command;
        {
            std::unique_lock<std::mutex> lock(owner_.mutex_);
            owner_.changed_.wait(lock, [&] { return owner_.stop_.load() || owner_.generation_.load() != generation_; });
            if (owner_.stop_.load()) return;
            owner_.idle_.store(false);
            generation_ = owner_.generation_.load();
            command = owner_.command_;
            owner_.ring_.Clear();  // the caller waits for the acknowledgement meanwhile
            owner_.acknowledged_ = generation_;
            owner_.changed_.notify_all();
        }
        try {
            Follow(command);
            // Done, or failed: the last record says so; nothing more until a new command.
            std::lock_guard<std::mutex> lock(owner_.mutex_);
            owner_.idle_.store(true);
            owner_.changed_.notify_all();
        } catch (const TAbandoned&) {
            // a newer command, or the end
        }
    }
}

void TDecodingThread::TWorker::Follow(const TCommand& command) {
    password_ = command.password;
    const std::vector<TPlanned>& plan = owner_.plan_;
    auto next = plan.begin();
    if (command.restart) {
        if (!DecodeEntry(command.index, command.coding, command.fromCheck)) return;
        next = std::upper_bound(plan.begin(), plan.end(), command.index,
                                [](int32_t index, const TPlanned& p) { return index < p.index; });
    }
    for (; next != plan.end(); ++next)
        if (!DecodeEntry(next->index, next->coding, false)) return;
    Emit(kFinished, kDone);
}

bool TDecodingThread::TWorker::DecodeEntry(int32_t index, const TEntryCoding& coding, bool fromCheck) {
    job_ = ++lastJob_;
    index_ = index;
    offers_ = 0;
    bool located = true;
    try {
        decoder_.Locate(coding);
    } catch (...) {
        owner_.failure_ = std::current_exception();
        located = false;
    }
    if (!located && fromCheck) {
        Emit(kCheck, kFailed);
        return false;
    }
    if (!fromCheck) {  // says which entry the records that follow are of
        TRingRecord& head = Reserve(sizeof coding);
        head.kind = kHead;
        head.outcome = located ? kDone : kFailed;
        std::memcpy(head.Data(), &coding, sizeof coding);
        owner_.ring_.Publish();
        owner_.WakeReader(!located);
    }
    if (!located) return false;
    if (coding.Encrypted()) {
        // The caller asks no password for an entry too short to hold its header.
        if (coding.compressedSize < 12) {
            Emit(kEnd, kLeft);
            return true;
        }
        bool opened;
        try {
            opened = decoder_.CheckPassword(password_, false);
        } catch (...) {
            Fail(kCheck);
            return false;
        }
        Emit(kCheck, opened ? kOpened : kRefused);
        if (!opened) {
            Emit(kEnd, kLeft);
            return true;
        }
    }
    try {
        const TDecodeOutcome outcome = decoder_.Decode(*this);
        Emit(kEnd, outcome == TDecodeOutcome::Decoded ? kDone : kNotDecodable, decoder_.Crc());
    } catch (const ELargerThanStated&) {
        Emit(kEnd, kLarger, decoder_.Crc());
    } catch (const TDropped&) {
        Emit(kEnd, kLeft);
    } catch (const TAbandoned&) {
        throw;
    } catch (...) {
        Fail(kEnd);
        return false;
    }
    return true;
}

void TDecodingThread::TWorker::OfferMessages() {
    ++offers_;
    CheckInterruption();
}

void TDecodingThread::TWorker::Block(const uint8_t* data, size_t length) {
    CheckInterruption();
    TRingRecord& record = Reserve(static_cast<uint32_t>(length));
    record.kind = kBlock;
    std::memcpy(record.Data(), data, length);
    owner_.ring_.Publish();
    owner_.WakeReader(false);
}

TRingRecord& TDecodingThread::TWorker::Reserve(uint32_t length) {
    TRecordRing& ring = owner_.ring_;
    for (;;) {
        if (Interrupted()) throw TAbandoned();
        if (TRingRecord* record = ring.TryReserve(length)) {
            record->job = job_;
            record->index = index_;
            record->offers = std::exchange(offers_, 0);
            return *record;
        }
        // Full: wait until the caller has taken a good part.
        owner_.WakeReader(true);
        const uint32_t wanted = std::max(ring.Room(length), kBatchBytes);
        std::unique_lock<std::mutex> lock(owner_.mutex_);
        owner_.writerWaitsFor_.store(wanted);
        owner_.changed_.wait(lock, [&] { return ring.Free() >= wanted || Interrupted(); });
        owner_.writerWaitsFor_.store(0);
    }
}

void TDecodingThread::TWorker::Emit(TRecordKind kind, uint8_t outcome, uint32_t crc) {
    TRingRecord& record = Reserve(0);
    record.kind = kind;
    record.outcome = outcome;
    record.crc = crc;
    owner_.ring_.Publish();
    owner_.WakeReader(kind == kFinished || outcome == kFailed);
}

// ---- The caller's side ------------------------------------------------------

TDecodingThread::TDecodingThread(const std::string& archive, std::vector<TPlanned> plan, const std::string& password)
    : plan_(std::move(plan)), worker_(std::make_unique<TWorker>(*this, archive)), password_(password),
      sentPassword_(password) {
    command_.password = password;
    generation_.store(1);
    thread_ = std::thread([this] { worker_->Run(); });
}

TDecodingThread::~TDecodingThread() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_.store(true);
        changed_.notify_all();
    }
    thread_.join();
}

void TDecodingThread::WakeReader(bool urgent) {
    if (!readerWaiting_.load()) return;
    if (!urgent && static_cast<int32_t>(ring_.Published() - readerWakesAt_.load()) < 0) return;
    std::lock_guard<std::mutex> lock(mutex_);
    changed_.notify_all();
}

const TRingRecord& TDecodingThread::Next() {
    for (;;) {
        if (const TRingRecord* record = ring_.TryFront()) return *record;
        std::unique_lock<std::mutex> lock(mutex_);
        readerWakesAt_.store(ring_.Published() + kBatchBytes);
        readerWaiting_.store(true);
        changed_.wait(lock, [&] { return !ring_.Empty() || idle_.load(); });
        readerWaiting_.store(false);
        // Every stop of the thread is announced by a record read before
        // waiting for more; waiting on an idle thread would never end.
        if (ring_.Empty()) throw std::logic_error("the decoding thread was waited for after it stopped");
    }
}

void TDecodingThread::Pop() {
    ring_.Pop();
    const uint32_t wanted = writerWaitsFor_.load();
    if (wanted == 0 || ring_.Free() < wanted) return;
    std::lock_guard<std::mutex> lock(mutex_);
    changed_.notify_all();
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
    changed_.notify_all();
    changed_.wait(lock, [&] { return acknowledged_ == generation; });
    // The ring is empty, and the thread begins with the located entry.
    sentPassword_ = password;
    jobOpen_ = false;
    parked_ = false;
}

void TDecodingThread::FinishJob() {
    if (!jobOpen_) return;
    dropJob_.store(job_);
    for (;;) {
        const TRingRecord& record = Next();
        const bool failed = record.outcome == kFailed, end = record.kind == kEnd;
        Pop();
        if (failed) parked_ = true;
        if (failed || end) break;
    }
    jobOpen_ = false;
}

void TDecodingThread::RethrowFailure() {
    jobOpen_ = false;
    parked_ = true;
    std::rethrow_exception(failure_);
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
            Pop();
            Restart(password_, false);
            continue;
        }
        // The head of the next entry the thread took up.
        job_ = record.job;
        jobOpen_ = true;
        TEntryCoding coding;
        std::memcpy(&coding, record.Data(), sizeof coding);
        if (record.index == index && coding == entry) {
            if (record.outcome == kFailed) {
                Pop();
                RethrowFailure();
            }
            Pop();
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
    Pop();
    if (outcome == kFailed) RethrowFailure();
    return outcome == kOpened;
}

TDecodeOutcome TDecodingThread::Decode(TBlockReceiver& receiver) {
    for (;;) {
        const TRingRecord& record = Next();
        for (uint32_t i = 0; i < record.offers; ++i) receiver.OfferMessages();
        if (record.kind == kBlock) {
            receiver.Block(record.Data(), record.length);
            Pop();
            continue;
        }
        const uint8_t outcome = record.outcome;
        crc_ = record.crc;
        Pop();
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
