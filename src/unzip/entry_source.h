// What the extraction asks of an entry's data, whichever thread decodes it:
// the entry located, its password checked, its output received block by
// block with the places where window messages may go through, its CRC.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "unzip/entry.h"

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

enum class TDecodeOutcome { Decoded, UnknownMethod };

// An entry's data, from wherever it is decoded: on the caller's thread
// (TInlineDecoding) or ahead of it on another (TDecodingThread). Called in
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
