#include "unzip/entry_reader.h"

#include "unzip/errors.h"

TEntryReader::TEntryReader(TArchiveReader& archive) : archive_(archive), block_(new uint8_t[kBlockSize + 1]) {}

void TEntryReader::Locate(const TEntryCoding& entry) {
    entry_ = entry;
    TBufferStream& archive = archive_.Stream();
    archive.Seek(entry.localHeaderOffset, TBufferStream::soBeginning);
    uint8_t local[kLocalHeaderSize] = {};
    archive.Read(local, sizeof local);  // not validated: only the lengths of name and extra field are used
    dataStart_ = int64_t{entry.localHeaderOffset} + kLocalHeaderSize + Get16(local + 26) + Get16(local + 28);
    archive.Seek(dataStart_, TBufferStream::soBeginning);
}

bool TEntryReader::CheckPassword(const std::string& password, bool again) {
    if (again) archive_.Stream().Seek(-12, TBufferStream::soCurrent);
    if (entry_.compressedSize < 12) return false;
    const uint8_t expected = (entry_.flags & 8) ? static_cast<uint8_t>(entry_.dateTime >> 8)
                                                : static_cast<uint8_t>(entry_.crc32 >> 24);
    keys_ = TZipKeys(password);
    uint8_t header[12];
    ReadExact(header, sizeof header);
    keys_.Decrypt(header, sizeof header);
    return header[11] == expected;
}

void TEntryReader::StartData() {
    archive_.Stream().Seek(dataStart_ + (entry_.Encrypted() ? 12 : 0), TBufferStream::soBeginning);
}

const uint8_t* TEntryReader::ReadBlock(size_t length) {
    ReadBlock(block_.get(), length);
    return block_.get();
}

void TEntryReader::ReadBlock(uint8_t* into, size_t length) {
    ReadExact(into, length);
    if (entry_.Encrypted()) keys_.Decrypt(into, length);
}

void TEntryReader::ReadExact(uint8_t* data, size_t count) {
    size_t got = archive_.Stream().Read(data, count);
    while (got < count) {
        if (!archive_.NextDisk()) throw EFatalUnZip(kPrematureEnd);
        got += archive_.Stream().Read(data + got, count - got);
    }
}
