#include "unzip/entry_decoder.h"

#include <algorithm>
#include <cstring>

#include "unzip/crc32.h"
#include "unzip/errors.h"
#include "unzip/inflate.h"
#include "unzip/legacy.h"

TEntryDecoder::TEntryDecoder(TArchiveReader& archive)
    : archive_(archive), input_(new uint8_t[kBlockSize + 1]), output_(new uint8_t[kBlockSize + 1]) {}

TEntryDecoder::~TEntryDecoder() = default;

void TEntryDecoder::Locate(const TEntryCoding& entry) {
    entry_ = entry;
    crc_ = 0;
    TBufferStream& archive = archive_.Stream();
    archive.Seek(entry.localHeaderOffset, TBufferStream::soBeginning);
    uint8_t local[kLocalHeaderSize] = {};
    archive.Read(local, sizeof local);  // not validated: only the lengths of name and extra field are used
    dataStart_ = int64_t{entry.localHeaderOffset} + kLocalHeaderSize + Get16(local + 26) + Get16(local + 28);
    archive.Seek(dataStart_, TBufferStream::soBeginning);
    remaining_ = entry.compressedSize;
}

bool TEntryDecoder::CheckPassword(const std::string& password, bool again) {
    if (again) {
        archive_.Stream().Seek(-12, TBufferStream::soCurrent);
        remaining_ += 12;
    }
    // Too short to hold the encryption header: no password opens it.
    if (entry_.compressedSize < 12) return false;
    const uint8_t expected = (entry_.flags & 8) ? static_cast<uint8_t>(entry_.dateTime >> 8)
                                                : static_cast<uint8_t>(entry_.crc32 >> 24);
    keys_ = TZipKeys(password);
    uint8_t header[12];
    ReadExact(header, sizeof header);
    remaining_ -= 12;
    keys_.Decrypt(header, sizeof header);
    return header[11] == expected;
}

TDecodeOutcome TEntryDecoder::Decode(TBlockReceiver& receiver) {
    archive_.Stream().Seek(dataStart_ + (entry_.Encrypted() ? 12 : 0), TBufferStream::soBeginning);
    receiver_ = &receiver;
    crc_ = 0;
    written_ = 0;
    pending_ = 0;
    switch (entry_.method) {
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
        unreducer_->Unreduce(*this, *this, entry_.method - 1u, entry_.uncompressedSize);
        break;
    case 6:
        if (!exploder_) exploder_ = std::make_unique<TExploder>();
        exploder_->Explode(*this, *this, entry_.flags, entry_.compressedSize, entry_.uncompressedSize);
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

void TEntryDecoder::ReadExact(uint8_t* data, size_t count) {
    size_t got = archive_.Stream().Read(data, count);
    while (got < count) {
        if (!archive_.NextDisk()) throw EFatalUnZip(kPrematureEnd);
        got += archive_.Stream().Read(data + got, count - got);
    }
}

size_t TEntryDecoder::NextChunk(const uint8_t*& data) {
    if (remaining_ == 0) return 0;
    receiver_->OfferMessages();
    const size_t n = std::min<size_t>(remaining_, kBlockSize);
    ReadExact(input_.get(), n);
    remaining_ -= static_cast<uint32_t>(n);
    if (entry_.Encrypted()) keys_.Decrypt(input_.get(), n);
    data = input_.get();
    return n;
}

void TEntryDecoder::CopyStored() {
    while (remaining_ > 0) {
        receiver_->OfferMessages();
        const size_t n = std::min<size_t>(remaining_, kBlockSize);
        ReadExact(output_.get(), n);
        remaining_ -= static_cast<uint32_t>(n);
        if (entry_.Encrypted()) keys_.Decrypt(output_.get(), n);
        WriteBlock(output_.get(), n);
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
