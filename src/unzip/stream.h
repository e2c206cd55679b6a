// TBufferStream: a file read and written through a buffer (8192 bytes unless
// asked otherwise) that is either in read state (bytes read ahead), in write
// state (bytes not yet written) or empty. The archive and every output file
// are such streams; under Windows each read or write is a call into the
// system, so the archive and large outputs get larger buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "unzip/os/file.h"

class TBufferStream {
public:
    static constexpr size_t kBufferSize = 8192;
    enum Origin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

    // The file has just been opened: it stands at its start.
    TBufferStream(zipos::File file, bool writeAccess, bool flushOnClose = false, size_t bufferSize = kBufferSize);
    ~TBufferStream();
    TBufferStream(const TBufferStream&) = delete;
    TBufferStream& operator=(const TBufferStream&) = delete;

    // Bytes read; fewer only at the end of the file.
    size_t Read(void* buffer, size_t count);
    void Write(const void* buffer, size_t count);
    // The new logical position. A seek within the bytes read ahead keeps the
    // buffer; a seek from the end counts backwards whatever the sign.
    int64_t Seek(int64_t offset, int origin);
    int64_t Position() const { return position_; }
    // In write state, the larger of the file size and the logical position.
    int64_t Size() const;
    // Writes pending bytes out.
    void FlushBuffer();
    // Pending bytes out, then the file closed (flushed to disk when asked).
    void Close();
    zipos::File& File() { return file_; }

private:
    enum class State { Empty, Reading, Writing };
    void Drop();  // empties a read buffer, moving the file back to the logical position

    zipos::File file_;
    bool writeAccess_;
    bool flushOnClose_;
    bool wrote_ = false;
    size_t bufferSize_;
    State state_ = State::Empty;
    std::unique_ptr<unsigned char[]> buffer_;
    size_t used_ = 0;   // read state: bytes in the buffer; write state: bytes pending
    size_t offset_ = 0; // read state: next byte to give out
    int64_t position_ = 0;
};

// The archive stream: the archive file opened for reading, deny-write, with
// the path it came from. Its buffer holds the local headers and data of
// several small entries, so their reads and seeks stay in memory.
struct TArchiveStream {
    static constexpr size_t kBufferSize = 65536;
    TArchiveStream(const std::string& path)
        : name(path), stream(zipos::File::OpenRead(path), false, false, kBufferSize) {}
    std::string name;
    TBufferStream stream;
};
