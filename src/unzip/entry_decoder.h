// Decoding one entry's data: blocks of up to 16000 bytes taken from a block
// source, decoded by the entry's method, and the output handed on in blocks
// of 16000 bytes, its length guarded and its CRC-32 kept. Whoever takes the
// output (the file and the progress events, or the decoding thread's queue)
// also hears of every input block about to be taken, the one place where
// the extraction lets window messages through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "unzip/decode_io.h"
#include "unzip/entry_reader.h"
#include "unzip/entry_source.h"

class TInflater;
class TUnshrinker;
class TUnreducer;
class TExploder;

class TEntryDecoder final : TByteSource, TByteSink {
public:
    static constexpr size_t kBlockSize = 16000;

    TEntryDecoder();
    ~TEntryDecoder() override;
    TEntryDecoder(const TEntryDecoder&) = delete;
    TEntryDecoder& operator=(const TEntryDecoder&) = delete;

    // Decodes the entry's data, taken from source (which stands at the data
    // proper), into receiver. Raises ELargerThanStated when the output would
    // exceed the stored size (the blocks before it were received), and what
    // the source raises.
    TDecodeOutcome Decode(const TEntryCoding& entry, TBlockSource& source, TBlockReceiver& receiver);
    // The CRC-32 of what was decoded (0 before anything was).
    uint32_t Crc() const { return crc_; }

private:
    size_t NextChunk(const uint8_t*& data) override;
    void Put(const uint8_t* data, size_t length) override;
    void FinishOutput();
    void WriteBlock(const uint8_t* data, size_t length);
    void CopyStored();

    std::unique_ptr<uint8_t[]> output_;
    // Made on first use: a run of deflated entries never makes the others.
    std::unique_ptr<TInflater> inflater_;
    std::unique_ptr<TUnshrinker> unshrinker_;
    std::unique_ptr<TUnreducer> unreducer_;
    std::unique_ptr<TExploder> exploder_;

    TEntryCoding entry_;
    TBlockSource* source_ = nullptr;
    TBlockReceiver* receiver_ = nullptr;
    uint32_t remaining_ = 0;  // compressed bytes still to take
    uint32_t crc_ = 0;
    int64_t written_ = 0;
    size_t pending_ = 0;  // bytes waiting in the output buffer
};

// Entry data read and decoded on the caller's thread, as it asks.
class TInlineDecoding final : public TEntrySource {
public:
    explicit TInlineDecoding(TArchiveReader& archive) : reader_(archive) {}

    void Locate(int32_t, const TEntryCoding& entry) override {
        entry_ = entry;
        reader_.Locate(entry);
    }
    bool CheckPassword(const std::string& password, bool again) override {
        return reader_.CheckPassword(password, again);
    }
    TDecodeOutcome Decode(TBlockReceiver& receiver) override {
        reader_.StartData();
        return decoder_.Decode(entry_, reader_, receiver);
    }
    uint32_t Crc() const override { return decoder_.Crc(); }

private:
    TEntryReader reader_;
    TEntryDecoder decoder_;
    TEntryCoding entry_;
};
