#include "unzip/stream.h"

#include <gtest/gtest.h>

#include "unzip/errors.h"
#include "unzip/unzip_test_support.h"

TEST(BufferStreamTest, ReadsWritesAndSeeksThroughOneBuffer) {
    TempDir dir;
    const std::string path = Native(dir / "s.bin");
    {
        TBufferStream s(zipos::File::Create(path), true);
        s.Write("hello ", 6);
        s.Write("world", 5);
        EXPECT_EQ(s.Position(), 11);
        EXPECT_EQ(s.Size(), 11);  // in write state: the logical position counts
        s.Seek(0, TBufferStream::soBeginning);
        char buffer[6] = {};
        EXPECT_EQ(s.Read(buffer, 5), 5u);  // reading after writing writes first
        EXPECT_EQ(std::string(buffer, 5), "hello");
        s.Write("_", 1);  // writing after reading goes to the logical position
        EXPECT_EQ(s.Seek(-5, TBufferStream::soEnd), 6);
        EXPECT_EQ(s.Seek(5, TBufferStream::soEnd), 6);  // from the end counts backwards whatever the sign
        EXPECT_EQ(s.Seek(0, TBufferStream::soCurrent), 6);
        try {
            s.Seek(0, 7);
            FAIL() << "no error";
        } catch (const EStreamError& e) {
            EXPECT_STREQ(e.what(), "Invalid seek origin (7)");
        }
        EXPECT_THROW(s.Seek(-100, TBufferStream::soCurrent), EStreamError);
    }
    EXPECT_EQ(ReadFile(dir / "s.bin"), "hello_world");

    // Large reads and writes pass the buffer by; small ones fill it.
    std::string big(50000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    {
        TBufferStream s(zipos::File::Create(path), true, true);
        s.Write(big.data(), 100);
        s.Write(big.data() + 100, 20000);
        s.Write(big.data() + 20100, big.size() - 20100);
    }
    EXPECT_EQ(ReadFile(dir / "s.bin"), big);
    TBufferStream r(zipos::File::OpenRead(path), false);
    std::string back(big.size() + 10, '\0');
    EXPECT_EQ(r.Read(back.data(), 3), 3u);
    EXPECT_EQ(r.Read(back.data() + 3, 9000), 9000u);
    EXPECT_EQ(r.Read(back.data() + 9003, back.size() - 9003), big.size() - 9003);  // fewer at the end
    back.resize(big.size());
    EXPECT_EQ(back, big);
    EXPECT_EQ(r.Read(back.data(), 1), 0u);

    // Seeks within the bytes read ahead, back and forth, read the right
    // bytes; a write after them lands at the logical position.
    {
        TBufferStream s(zipos::File::OpenRead(path), false, false, 4096);
        char b[4] = {};
        for (int64_t at : {100, 40, 40 + 4096 - 4, 7}) {
            EXPECT_EQ(s.Seek(at, TBufferStream::soBeginning), at);
            ASSERT_EQ(s.Read(b, 4), 4u);
            EXPECT_EQ(std::string(b, 4), big.substr(static_cast<size_t>(at), 4)) << at;
        }
        EXPECT_EQ(s.Seek(-8, TBufferStream::soCurrent), 3);
        ASSERT_EQ(s.Read(b, 2), 2u);
        EXPECT_EQ(std::string(b, 2), big.substr(3, 2));
    }
    {
        TBufferStream s(zipos::File::Create(Native(dir / "w.bin")), true);
        s.Write(big.data(), 20000);
        s.Seek(0, TBufferStream::soBeginning);
        char b[8];
        s.Read(b, 8);
        s.Seek(2, TBufferStream::soBeginning);
        s.Write("XY", 2);
    }
    EXPECT_EQ(ReadFile(dir / "w.bin"), big.substr(0, 2) + "XY" + big.substr(4, 19996));
}

TEST(BufferStreamTest, OpenAndCreateFailuresSayWhichFile) {
    TempDir dir;
    try {
        zipos::File::OpenRead(Native(dir / "missing.zip"));
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"" + Native(dir / "missing.zip") + "\". ", 0), 0u);
    }
    EXPECT_THROW(zipos::File::Create(Native(dir / "no" / "such" / "folder.txt")), EFCreateError);
}
