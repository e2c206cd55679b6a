// The state of one UnZip run on the caller's thread: the progress totals,
// the folders made, the retry flag, and the receiver of every entry's output
// blocks, which writes them to the file and raises the progress events.
// Entry data comes from the caller's own decoder or from a decoding thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>

#include "unzip/entry_decoder.h"
#include "unzip/entry_source.h"
#include "unzip/unzipper.h"

// The component's archive stream, moving on to a spanned archive's next disk.
class TComponentArchive;

struct TDecodeContext final : TBlockReceiver {
    explicit TDecodeContext(TUnZipper& owner);
    ~TDecodeContext() override;

    // Before an entry's output: the file it goes to (none when only checking).
    void BeginEntry(TBufferStream* output, uint32_t uncompressedSize);
    // Lets window messages through when the component is asked to.
    void OfferMessages() override;
    // Writes one block: file, bytes counted, progress events.
    void Block(const uint8_t* data, size_t length) override;
    // The caller's own decoder, reading the component's archive (made on first use).
    TEntrySource& OwnDecoder();

    TUnZipper& z;

    // The run.
    int64_t totalBytes = 0;
    int64_t writtenRun = 0;
    bool retry = false;
    std::unordered_set<std::string> knownFolders;  // made or found by this run

    // The entry.
    TZipEntryInfo entry;
    TBufferStream* out = nullptr;
    uint32_t entrySize = 0;
    int64_t writtenEntry = 0;

private:
    std::unique_ptr<TComponentArchive> archive_;
    std::unique_ptr<TInlineDecoding> decoder_;
};

// Rounded to the nearest integer (ties to even), capped at 100; 0 when total <= 0.
int32_t Percent(int64_t done, int64_t total);
