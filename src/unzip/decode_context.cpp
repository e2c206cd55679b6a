#include "unzip/decode_context.h"

#include <algorithm>

int32_t Percent(int64_t done, int64_t total) {
    if (total <= 0 || done <= 0) return 0;
    const int64_t scaled = done * 100;
    int64_t q = scaled / total;
    const int64_t r2 = (scaled % total) * 2;
    if (r2 > total || (r2 == total && (q & 1))) ++q;
    return static_cast<int32_t>(std::min<int64_t>(q, 100));
}

// The component's archive stream; a spanned archive moves on to its next
// disk when the component has a handler that supplies it.
class TComponentArchive final : public TArchiveReader {
public:
    explicit TComponentArchive(TUnZipper& owner) : z(owner) {}
    TBufferStream& Stream() override { return z.archive_->stream; }
    bool NextDisk() override {
        if (z.spanMode_ == spNone || !z.OnGetNextDisk) return false;
        z.FetchDisk(z.currentDisk_ + 1);
        return true;
    }

private:
    TUnZipper& z;
};

TDecodeContext::TDecodeContext(TUnZipper& owner) : z(owner) {}

TDecodeContext::~TDecodeContext() = default;

TEntrySource& TDecodeContext::OwnDecoder() {
    if (!decoder_) {
        archive_ = std::make_unique<TComponentArchive>(z);
        decoder_ = std::make_unique<TInlineDecoding>(*archive_);
    }
    return *decoder_;
}

void TDecodeContext::BeginEntry(TBufferStream* output, uint32_t uncompressedSize) {
    out = output;
    entrySize = uncompressedSize;
    writtenEntry = 0;
}

void TDecodeContext::OfferMessages() {
    if (z.DoProcessMessages) zipos::ProcessMessages();
}

void TDecodeContext::Block(const uint8_t* data, size_t length) {
    if (out) out->Write(data, length);
    writtenEntry += static_cast<int64_t>(length);
    writtenRun += static_cast<int64_t>(length);
    if (z.OnFilePercentDone) z.OnFilePercentDone(z, Percent(writtenEntry, entrySize));
    if (z.OnTotalPercentDone) z.OnTotalPercentDone(z, Percent(writtenRun, totalBytes));
}
