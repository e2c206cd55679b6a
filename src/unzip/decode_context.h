// The working storage of one UnZip run and the state of the entry being
// decoded: input blocks (read, decrypted, messages pumped at each refill),
// output blocks (size guard, file write, CRC, progress events).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>

#include "unzip/crypt.h"
#include "unzip/decode_io.h"
#include "unzip/inflate.h"
#include "unzip/legacy.h"
#include "unzip/unzipper.h"

struct TDecodeContext final : TByteSource, TByteSink {
    static constexpr size_t kBlockSize = 16000;

    explicit TDecodeContext(TUnZipper& owner);

    // Before decoding an entry whose data starts at the archive's position;
    // without an output the data is only checked.
    void BeginEntry(TBufferStream* output);
    // Reads exactly count bytes of entry data, across disks of a spanned
    // archive; raises EFatalUnZip when the archive ends first.
    void ReadExact(uint8_t* data, size_t count);
    // TByteSource: the next input block.
    size_t NextChunk(const uint8_t*& data) override;
    // TByteSink: output in blocks of kBlockSize.
    void Put(const uint8_t* data, size_t length) override;
    // Writes what is left in the output buffer.
    void FinishOutput();
    // Writes one block: size guard, file, CRC, bytes counted, progress events.
    void WriteBlock(const uint8_t* data, size_t length);
    // Copies a stored entry block by block.
    void CopyStored();

    TUnZipper& z;
    std::unique_ptr<uint8_t[]> input;
    std::unique_ptr<uint8_t[]> output;
    TInflater inflater;
    TUnshrinker unshrinker;
    TUnreducer unreducer;
    TExploder exploder;

    // The run.
    int64_t totalBytes = 0;
    int64_t writtenRun = 0;
    bool retry = false;
    std::unordered_set<std::string> knownFolders;  // made or found by this run

    // The entry.
    TZipEntryInfo entry;
    int64_t dataStart = 0;
    uint32_t remaining = 0;  // compressed bytes still to read
    TZipKeys keys;
    TBufferStream* out = nullptr;
    uint32_t crc = 0;
    int64_t writtenEntry = 0;
    size_t pending = 0;  // bytes waiting in the output buffer
};

// Rounded to the nearest integer (ties to even), capped at 100; 0 when total <= 0.
int32_t Percent(int64_t done, int64_t total);
