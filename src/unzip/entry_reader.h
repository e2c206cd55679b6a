// Reading an entry's data: its local header read, an encrypted entry's
// password checked against its 12-byte header, and its data read in blocks,
// each decrypted as it arrives. Decoding (TEntryDecoder) takes the blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "unzip/crypt.h"
#include "unzip/entry_source.h"
#include "unzip/stream.h"

// Where entry data is read from: the archive stream, and in a spanned
// archive the disks after it.
class TArchiveReader {
public:
    virtual ~TArchiveReader() = default;
    virtual TBufferStream& Stream() = 0;
    // Moves on to the next disk; false where there is none to move to.
    virtual bool NextDisk() { return false; }
};

// An entry's data, block by block, as its decoder asks for it.
class TBlockSource {
public:
    virtual ~TBlockSource() = default;
    // The next length bytes of the entry's data, decrypted; valid until the
    // next call. EFatalUnZip when the archive ends first.
    virtual const uint8_t* ReadBlock(size_t length) = 0;
};

class TEntryReader final : public TBlockSource {
public:
    static constexpr size_t kBlockSize = 16000;

    explicit TEntryReader(TArchiveReader& archive);

    // Reads the entry's local header; the archive then stands at its data.
    void Locate(const TEntryCoding& entry);
    // Whether password opens the encrypted entry; again reads its header
    // once more (after a new password). An entry too short for the header
    // opens with none.
    bool CheckPassword(const std::string& password, bool again);
    // The archive to the start of the data proper (past the encryption header).
    void StartData();
    const uint8_t* ReadBlock(size_t length) override;
    // The same into memory of the caller's.
    void ReadBlock(uint8_t* into, size_t length);

private:
    // Exactly count bytes, across disks; EFatalUnZip when the archive ends first.
    void ReadExact(uint8_t* data, size_t count);

    TArchiveReader& archive_;
    std::unique_ptr<uint8_t[]> block_;
    TEntryCoding entry_;
    int64_t dataStart_ = 0;
    TZipKeys keys_;
};
