#include "unzip/decode_context.h"

#include <algorithm>
#include <cstring>

#include "unzip/crc32.h"
#include "unzip/errors.h"

int32_t Percent(int64_t done, int64_t total) {
    if (total <= 0 || done <= 0) return 0;
    const int64_t scaled = done * 100;
    int64_t q = scaled / total;
    const int64_t r2 = (scaled % total) * 2;
    if (r2 > total || (r2 == total && (q & 1))) ++q;
    return static_cast<int32_t>(std::min<int64_t>(q, 100));
}

TDecodeContext::TDecodeContext(TUnZipper& owner)
    : z(owner), input(new uint8_t[kBlockSize + 1]), output(new uint8_t[kBlockSize + 1]) {}

void TDecodeContext::BeginEntry(TBufferStream* output) {
    out = output;
    crc = 0;
    writtenEntry = 0;
    pending = 0;
}

void TDecodeContext::ReadExact(uint8_t* data, size_t count) {
    size_t got = z.archive_->stream.Read(data, count);
    while (got < count) {
        if (z.spanMode_ == spNone || !z.OnGetNextDisk) throw EFatalUnZip(kPrematureEnd);
        z.FetchDisk(z.currentDisk_ + 1);
        got += z.archive_->stream.Read(data + got, count - got);
    }
}

size_t TDecodeContext::NextChunk(const uint8_t*& data) {
    if (remaining == 0) return 0;
    if (z.DoProcessMessages) zipos::ProcessMessages();
    const size_t n = std::min<size_t>(remaining, kBlockSize);
    ReadExact(input.get(), n);
    remaining -= static_cast<uint32_t>(n);
    if (entry.Encrypted()) keys.Decrypt(input.get(), n);
    data = input.get();
    return n;
}

void TDecodeContext::CopyStored() {
    while (remaining > 0) {
        if (z.DoProcessMessages) zipos::ProcessMessages();
        const size_t n = std::min<size_t>(remaining, kBlockSize);
        ReadExact(output.get(), n);
        remaining -= static_cast<uint32_t>(n);
        if (entry.Encrypted()) keys.Decrypt(output.get(), n);
        WriteBlock(output.get(), n);
    }
}

void TDecodeContext::Put(const uint8_t* data, size_t length) {
    if (pending > 0) {
        const size_t n = std::min(length, kBlockSize - pending);
        std::memcpy(output.get() + pending, data, n);
        pending += n;
        data += n;
        length -= n;
        if (pending < kBlockSize) return;
        pending = 0;
        WriteBlock(output.get(), kBlockSize);
    }
    // Whole blocks go out from where they are.
    for (; length >= kBlockSize; data += kBlockSize, length -= kBlockSize) WriteBlock(data, kBlockSize);
    std::memcpy(output.get(), data, length);
    pending = length;
}

void TDecodeContext::FinishOutput() {
    const size_t n = pending;
    pending = 0;
    WriteBlock(output.get(), n);
}

void TDecodeContext::WriteBlock(const uint8_t* data, size_t length) {
    if (length == 0) return;
    if (writtenEntry + static_cast<int64_t>(length) > static_cast<int64_t>(entry.uncompressedSize))
        throw ELargerThanStated(kLargerThanStated);
    if (out) out->Write(data, length);
    crc = Crc32(crc, data, length);
    writtenEntry += static_cast<int64_t>(length);
    writtenRun += static_cast<int64_t>(length);
    if (z.OnFilePercentDone) z.OnFilePercentDone(z, Percent(writtenEntry, entry.uncompressedSize));
    if (z.OnTotalPercentDone) z.OnTotalPercentDone(z, Percent(writtenRun, totalBytes));
}
