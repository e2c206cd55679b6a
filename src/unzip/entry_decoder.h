// The decoding of one entry's data: its local header read, an encrypted
// entry's password checked, the data read in blocks of up to 16000 bytes
// (decrypted as they arrive), decoded by the entry's method, and the output
// handed on in blocks of 16000 bytes, its length guarded and its CRC-32 kept.
// Whoever takes the blocks (the file and the progress events, or the queue
// of the decoding thread) also hears of every input block about to be read,
// the one place where the extraction lets window messages through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "unzip/crypt.h"
#include "unzip/decode_io.h"
#include "unzip/entry.h"
#include "unzip/stream.h"

class TInflater;
class TUnshrinker;
class TUnreducer;
class TExploder;

// What decoding needs of an entry record: where its data lies and how it is
// stored. Small and plain, so it can be copied and compared freely.
struct TEntryCoding {
    uint32_t localHeaderOffset = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    uint32_t crc32 = 0;
    uint32_t dateTime = 0;
    uint16_t flags = 0;
    uint16_t method = 0;

    TEntryCoding() = default;
    explicit TEntryCoding(const TZipEntryInfo& entry)
        : localHeaderOffset(entry.localHeaderOffset), compressedSize(entry.compressedSize),
          uncompressedSize(entry.uncompressedSize), crc32(entry.crc32), dateTime(entry.dateTime),
          flags(entry.flags), method(entry.method) {}
    bool Encrypted() const { return flags & 1; }
    bool operator==(const TEntryCoding&) const = default;
};

// Takes an entry's output, block by block, in order.
class TBlockReceiver {
public:
    virtual ~TBlockReceiver() = default;
    // An input block is about to be read: window messages may go through.
    virtual void OfferMessages() = 0;
    virtual void Block(const uint8_t* data, size_t length) = 0;
};

// Where entry data is read from: the archive stream, and in a spanned
// archive the disks after it.
class TArchiveReader {
public:
    virtual ~TArchiveReader() = default;
    virtual TBufferStream& Stream() = 0;
    // Moves on to the next disk; false where there is none to move to.
    virtual bool NextDisk() { return false; }
};

enum class TDecodeOutcome { Decoded, UnknownMethod };

// An entry's data, from wherever it is decoded: on the caller's thread
// (TEntryDecoder) or ahead of it on another (TDecodingThread). Called in
// this order per entry: Locate, CheckPassword (encrypted entries, again
// after a new password), Decode, Crc; Leave when the entry is not decoded.
class TEntrySource {
public:
    virtual ~TEntrySource() = default;
    // Reads the local header of the entry at index of the current view.
    virtual void Locate(int32_t index, const TEntryCoding& entry) = 0;
    // Whether password opens the encrypted entry (its 12-byte header);
    // again reads the header once more, after a new password was given.
    virtual bool CheckPassword(const std::string& password, bool again) = 0;
    // Decodes the located entry's data into receiver. Raises
    // ELargerThanStated when the output would exceed the stored size (the
    // blocks before it were received), EFatalUnZip when the archive ends first.
    virtual TDecodeOutcome Decode(TBlockReceiver& receiver) = 0;
    // The CRC-32 of what was decoded (0 before anything was).
    virtual uint32_t Crc() const = 0;
    // The located entry is not decoded after all.
    virtual void Leave() {}
};

class TEntryDecoder final : public TEntrySource, TByteSource, TByteSink {
public:
    static constexpr size_t kBlockSize = 16000;

    explicit TEntryDecoder(TArchiveReader& archive);
    ~TEntryDecoder() override;
    TEntryDecoder(const TEntryDecoder&) = delete;
    TEntryDecoder& operator=(const TEntryDecoder&) = delete;

    void Locate(const TEntryCoding& entry);
    void Locate(int32_t, const TEntryCoding& entry) override { Locate(entry); }
    bool CheckPassword(const std::string& password, bool again) override;
    TDecodeOutcome Decode(TBlockReceiver& receiver) override;
    uint32_t Crc() const override { return crc_; }

private:
    // Exactly count bytes of entry data, across disks; EFatalUnZip when the archive ends first.
    void ReadExact(uint8_t* data, size_t count);
    size_t NextChunk(const uint8_t*& data) override;
    void Put(const uint8_t* data, size_t length) override;
    void FinishOutput();
    void WriteBlock(const uint8_t* data, size_t length);
    void CopyStored();

    TArchiveReader& archive_;
    std::unique_ptr<uint8_t[]> input_;
    std::unique_ptr<uint8_t[]> output_;
    // Made on first use: a run of deflated entries never makes the others.
    std::unique_ptr<TInflater> inflater_;
    std::unique_ptr<TUnshrinker> unshrinker_;
    std::unique_ptr<TUnreducer> unreducer_;
    std::unique_ptr<TExploder> exploder_;

    TEntryCoding entry_;
    int64_t dataStart_ = 0;
    uint32_t remaining_ = 0;  // compressed bytes still to read
    TZipKeys keys_;
    TBlockReceiver* receiver_ = nullptr;
    uint32_t crc_ = 0;
    int64_t written_ = 0;
    size_t pending_ = 0;  // bytes waiting in the output buffer
};
