#include "unzip/stream.h"

#include <algorithm>
#include <cstring>

#include "unzip/errors.h"

TBufferStream::TBufferStream(zipos::File file, bool writeAccess, bool flushOnClose, size_t bufferSize)
    : file_(std::move(file)), writeAccess_(writeAccess), flushOnClose_(flushOnClose), bufferSize_(bufferSize),
      buffer_(new unsigned char[bufferSize]) {}

TBufferStream::~TBufferStream() {
    try {
        Close();
    } catch (...) {
        // A destructor cannot report; Close() is called explicitly where it matters.
    }
}

void TBufferStream::Close() {
    if (!file_.IsOpen()) return;
    FlushBuffer();
    if (flushOnClose_ && writeAccess_ && wrote_) file_.Flush();
    file_.Close();
}

void TBufferStream::FlushBuffer() {
    if (state_ != State::Writing) return;
    size_t pending = used_;
    used_ = 0;
    state_ = State::Empty;
    if (pending > 0) file_.Write(buffer_.get(), pending);
}

void TBufferStream::Drop() {
    if (state_ == State::Reading) {
        if (offset_ != used_ && file_.Seek(position_, soBeginning) < 0) throw EStreamError("\nSeek error");
        used_ = offset_ = 0;
        state_ = State::Empty;
    }
}

size_t TBufferStream::Read(void* buffer, size_t count) {
    FlushBuffer();  // reading after writing writes the pending bytes first
    auto* out = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    while (done < count) {
        if (state_ == State::Reading && offset_ < used_) {
            size_t n = std::min(count - done, used_ - offset_);
            std::memcpy(out + done, buffer_.get() + offset_, n);
            offset_ += n;
            done += n;
            continue;
        }
        // The buffer is used up. A large remainder goes straight to the caller.
        state_ = State::Empty;
        used_ = offset_ = 0;
        size_t left = count - done;
        if (left >= bufferSize_) {
            size_t got = file_.Read(out + done, left);
            done += got;
            break;
        }
        size_t got = file_.Read(buffer_.get(), bufferSize_);
        if (got == 0) break;
        state_ = State::Reading;
        used_ = got;
    }
    position_ += static_cast<int64_t>(done);
    return done;
}

void TBufferStream::Write(const void* buffer, size_t count) {
    Drop();  // writing after reading moves the file back to the logical position
    const auto* in = static_cast<const unsigned char*>(buffer);
    if (count == 0) return;
    wrote_ = true;
    if (used_ + count > bufferSize_) {
        FlushBuffer();
        if (count >= bufferSize_) {  // a large block goes straight to the file
            file_.Write(in, count);
            position_ += static_cast<int64_t>(count);
            return;
        }
    }
    std::memcpy(buffer_.get() + used_, in, count);
    used_ += count;
    state_ = State::Writing;
    position_ += static_cast<int64_t>(count);
}

int64_t TBufferStream::Seek(int64_t offset, int origin) {
    int64_t target;
    switch (origin) {
    case soBeginning: target = offset; break;
    case soCurrent: target = position_ + offset; break;
    case soEnd: target = Size() - (offset < 0 ? -offset : offset); break;
    default: throw EStreamError("Invalid seek origin (" + std::to_string(origin) + ")");
    }
    if (target == position_) return position_;
    // Within the bytes read ahead (a local header's name and extra field, the
    // next small entry): no call into the system.
    const int64_t bufferStart = position_ - static_cast<int64_t>(offset_);
    if (state_ == State::Reading && target >= bufferStart && target <= bufferStart + static_cast<int64_t>(used_)) {
        offset_ = static_cast<size_t>(target - bufferStart);
        position_ = target;
        return position_;
    }
    try {
        FlushBuffer();
    } catch (const EStreamError&) {
        throw EStreamError("\nSeek error");
    }
    used_ = offset_ = 0;
    state_ = State::Empty;
    if (target < 0 || file_.Seek(target, soBeginning) < 0) throw EStreamError("\nSeek error");
    position_ = target;
    return position_;
}

int64_t TBufferStream::Size() const {
    int64_t size = file_.Size();
    if (state_ == State::Writing && position_ > size) size = position_;
    return size;
}
