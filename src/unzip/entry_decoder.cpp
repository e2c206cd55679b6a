#include "unzip/entry_decoder.h"

#include <algorithm>
#include <cstring>

#include "unzip/crc32.h"
#include "unzip/errors.h"
#include "unzip/inflate.h"
#include "unzip/legacy.h"

TEntryDecoder::TEntryDecoder() : output_(new uint8_t[kBlockSize + 1]) {}

TEntryDecoder::~TEntryDecoder() = default;

TDecodeOutcome TEntryDecoder::Decode(const TEntryCoding& entry, TBlockSource& source, TBlockReceiver& receiver) {
    entry_ = entry;
    source_ = &source;
    receiver_ = &receiver;
    remaining_ = entry.compressedSize - (entry.Encrypted() ? 12 : 0);
    crc_ = 0;
    written_ = 0;
    pending_ = 0;
    switch (entry.method) {
    case 0:
        CopyStored();
        return TDecodeOutcome::Decoded;
    case 1:
        if (!unshrinker_) unshrinker_ = std::make_unique<TUnshrinker>();
        unshrinker_->Unshrink(*this, *this);
        break;
    case 2:
    case 3:
    case 4:
    case 5:
        if (!unreducer_) unreducer_ = std::make_unique<TUnreducer>();
        unreducer_->Unreduce(*this, *this, entry.method - 1u, entry.uncompressedSize);
        break;
    case 6:
        if (!exploder_) exploder_ = std::make_unique<TExploder>();
        exploder_->Explode(*this, *this, entry.flags, entry.compressedSize, entry.uncompressedSize);
        break;
    case 8:
        if (!inflater_) inflater_ = std::make_unique<TInflater>();
        inflater_->Inflate(*this, *this);
        break;
    default:
        return TDecodeOutcome::UnknownMethod;
    }
    // Invalid data stops a decoder silently: what it produced goes out, and
    // the CRC tells.
    FinishOutput();
    return TDecodeOutcome::Decoded;
}

size_t TEntryDecoder::NextChunk(const uint8_t*& data) {
    if (remaining_ == 0) return 0;
    receiver_->OfferMessages();
    const size_t n = std::min<size_t>(remaining_, kBlockSize);
    data = source_->ReadBlock(n);
    remaining_ -= static_cast<uint32_t>(n);
    return n;
}

void TEntryDecoder::CopyStored() {
    while (remaining_ > 0) {
        receiver_->OfferMessages();
        const size_t n = std::min<size_t>(remaining_, kBlockSize);
        const uint8_t* block = source_->ReadBlock(n);
        remaining_ -= static_cast<uint32_t>(n);
        WriteBlock(block, n);
    }
}

void TEntryDecoder::Put(const uint8_t* data, size_t length) {
    if (pending_ > 0) {
        const size_t n = std::min(length, kBlockSize - pending_);
        std::memcpy(output_.get() + pending_, data, n);
        pending_ += n;
        data += n;
        length -= n;
        if (pending_ < kBlockSize) return;
        pending_ = 0;
        WriteBlock(output_.get(), kBlockSize);
    }
    // Whole blocks go out from where they are.
    for (; length >= kBlockSize; data += kBlockSize, length -= kBlockSize) WriteBlock(data, kBlockSize);
    std::memcpy(output_.get(), data, length);
    pending_ = length;
}

void TEntryDecoder::FinishOutput() {
    const size_t n = pending_;
    pending_ = 0;
    WriteBlock(output_.get(), n);
}

void TEntryDecoder::WriteBlock(const uint8_t* data, size_t length) {
    if (length == 0) return;
    if (written_ + static_cast<int64_t>(length) > static_cast<int64_t>(entry_.uncompressedSize))
        throw ELargerThanStated(kLargerThanStated);
    crc_ = Crc32(crc_, data, length);
    written_ += static_cast<int64_t>(length);
    receiver_->Block(data, length);
}
