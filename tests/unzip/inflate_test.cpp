#include "unzip/inflate.h"

#include <gtest/gtest.h>

#include <random>

#include "unzip/unzip_test_support.h"

#ifdef SETUP_HAVE_ZLIB
#include <zlib.h>
#endif

namespace {

struct StringSink : TByteSink {
    std::string data;
    void Put(const uint8_t* p, size_t n) override { data.append(reinterpret_cast<const char*>(p), n); }
};

bool Inflate(const std::string& stream, std::string& out, size_t chunk = 16000) {
    TInflater inflater;
    TMemorySource source(reinterpret_cast<const uint8_t*>(stream.data()), stream.size(), chunk);
    StringSink sink;
    bool ok = inflater.Inflate(source, sink);
    out = sink.data;
    return ok;
}

// Writes bits least significant first, as deflate packs them.
struct BitWriter {
    std::string bytes;
    unsigned used = 0;
    void Put(uint32_t value, unsigned count) {
        for (unsigned i = 0; i < count; ++i) {
            if (used == 0) bytes += '\0';
            if ((value >> i) & 1) bytes.back() = static_cast<char>(bytes.back() | (1 << used));
            used = (used + 1) & 7;
        }
    }
    // A Huffman code goes most significant bit first.
    void PutCode(uint32_t code, unsigned length) {
        for (unsigned i = length; i-- > 0;) Put((code >> i) & 1, 1);
    }
};

}  // namespace

TEST(InflateTest, DecodesZlibStreamsOfEveryLevelAndStrategy) {
    int checked = 0;
    for (const char* name : {"text", "random", "runs", "empty"}) {
        const std::string expected = ReadFile(TestData() / (std::string("deflate-") + name + ".out"));
        for (const char* variant : {"0-0", "1-0", "9-0", "6-2", "6-3", "6-4"}) {
            const std::string stream = ReadFile(TestData() / (std::string("deflate-") + name + "-" + variant + ".raw"));
            for (size_t chunk : {size_t{16000}, size_t{1}, size_t{7}, size_t{65536}}) {
                std::string out;
                EXPECT_TRUE(Inflate(stream, out, chunk)) << name << " " << variant << " " << chunk;
                EXPECT_TRUE(out == expected) << name << " " << variant << " chunk " << chunk;
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 96);
}

TEST(InflateTest, HandBuiltStreamsDecodeAsDeflateSays) {
    {  // A stored block: BFINAL 1, BTYPE 00, aligned LEN 3, NLEN ~3, "abc".
        std::string s("\x01\x03\x00\xFC\xFF" "abc", 8), out;
        EXPECT_TRUE(Inflate(s, out));
        EXPECT_EQ(out, "abc");
    }
    {  // A fixed block: literal 'a' (0x61: code 0x30 + 0x61 in 8 bits), then a
       // match of length 5 (code 259: 7 bits 0000011) at distance 1 (5-bit code 0), then end (0000000).
        BitWriter w;
        w.Put(1, 1);
        w.Put(1, 2);
        w.PutCode(0x30 + 'a', 8);
        w.PutCode(3, 7);
        w.PutCode(0, 5);
        w.PutCode(0, 7);
        std::string out;
        EXPECT_TRUE(Inflate(w.bytes, out));
        EXPECT_EQ(out, "aaaaaa");
    }
}

TEST(InflateTest, InvalidStreamsStopWithoutReadingOrWritingOutside) {
    std::string out;
    // Block type 3 is reserved.
    EXPECT_FALSE(Inflate(std::string("\x07", 1), out));
    // LEN does not match the complement NLEN.
    EXPECT_FALSE(Inflate(std::string("\x01\x03\x00\xFC\xFE" "abc", 8), out));
    // A stored block longer than the data.
    EXPECT_FALSE(Inflate(std::string("\x01\x10\x00\xEF\xFF" "abc", 8), out));
    EXPECT_EQ(out, "abc");  // what was there came out
    {  // A match reaching back before the first byte: distance 2 after one literal.
        BitWriter w;
        w.Put(1, 1);
        w.Put(1, 2);
        w.PutCode(0x30 + 'a', 8);
        w.PutCode(3, 7);
        w.PutCode(1, 5);  // distance code 1: distance 2
        w.PutCode(0, 7);
        EXPECT_FALSE(Inflate(w.bytes, out));
        EXPECT_EQ(out, "a");
    }
    {  // Dynamic header announcing 287 literal/length codes (HLIT 30).
        BitWriter w;
        w.Put(1, 1);
        w.Put(2, 2);
        w.Put(30, 5);
        w.Put(0, 5);
        w.Put(0, 4);
        EXPECT_FALSE(Inflate(w.bytes, out));
    }
    {  // Dynamic header with 31 distance codes (HDIST 30).
        BitWriter w;
        w.Put(1, 1);
        w.Put(2, 2);
        w.Put(0, 5);
        w.Put(30, 5);
        w.Put(0, 4);
        EXPECT_FALSE(Inflate(w.bytes, out));
    }
    {  // Code-length code over-subscribed: three symbols of length 1.
        BitWriter w;
        w.Put(1, 1);
        w.Put(2, 2);
        w.Put(0, 5);
        w.Put(0, 5);
        w.Put(0, 4);  // 4 code-length codes: for 16, 17, 18, 0
        w.Put(1, 3);
        w.Put(1, 3);
        w.Put(1, 3);
        w.Put(0, 3);
        EXPECT_FALSE(Inflate(w.bytes, out));
    }
    {  // A repeat (code 16) with nothing before it to repeat.
        BitWriter w;
        w.Put(1, 1);
        w.Put(2, 2);
        w.Put(0, 5);
        w.Put(0, 5);
        w.Put(0, 4);
        w.Put(1, 3);  // symbol 16: length 1
        w.Put(0, 3);  // 17 unused
        w.Put(0, 3);  // 18 unused
        w.Put(1, 3);  // symbol 0: length 1
        w.PutCode(1, 1);  // 16 comes first (codes in symbol order: 0 -> "0", 16 -> "1")
        w.Put(0, 2);
        EXPECT_FALSE(Inflate(w.bytes, out));
    }
    // A good stream cut anywhere fails cleanly and gives a prefix of the data.
    const std::string stream = ReadFile(TestData() / "deflate-text-9-0.raw");
    const std::string expected = ReadFile(TestData() / "deflate-text.out");
    for (size_t cut : {size_t{0}, size_t{1}, size_t{2}, size_t{100}, stream.size() / 2, stream.size() - 1}) {
        EXPECT_FALSE(Inflate(stream.substr(0, cut), out)) << cut;
        EXPECT_EQ(expected.compare(0, out.size(), out), 0) << cut;
    }
}

TEST(InflateTest, RandomBytesNeverCrash) {
    std::mt19937 random(1234);
    int finished = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string junk(1 + random() % 300, '\0');
        for (char& c : junk) c = static_cast<char>(random());
        std::string out;
        finished += Inflate(junk, out, 1 + random() % 50) ? 1 : 0;
    }
    EXPECT_LT(finished, 3000);  // most random data is not a valid stream
}

#ifdef SETUP_HAVE_ZLIB
TEST(InflateTest, AgreesWithZlibOnRandomDataLevelsAndStrategies) {
    std::mt19937 random(99);
    for (int round = 0; round < 60; ++round) {
        // Data with repeats at every distance, so matches of all kinds occur.
        std::string data;
        const size_t size = random() % 400000;
        while (data.size() < size) {
            if (data.size() > 10 && random() % 3 == 0) {
                size_t back = 1 + random() % std::min<size_t>(data.size(), 40000), length = 3 + random() % 300;
                for (size_t i = 0; i < length; ++i) data += data[data.size() - back];
            } else {
                data += static_cast<char>('a' + random() % (1 + random() % 26));
            }
        }
        const int level = static_cast<int>(random() % 10);
        const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
        const int strategy = strategies[random() % 5];
        z_stream z{};
        ASSERT_EQ(deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy), Z_OK);
        std::string stream(deflateBound(&z, data.size()), '\0');
        z.next_in = reinterpret_cast<Bytef*>(data.data());
        z.avail_in = static_cast<uInt>(data.size());
        z.next_out = reinterpret_cast<Bytef*>(stream.data());
        z.avail_out = static_cast<uInt>(stream.size());
        ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
        stream.resize(z.total_out);
        deflateEnd(&z);
        std::string out;
        EXPECT_TRUE(Inflate(stream, out, 1 + random() % 20000)) << round;
        EXPECT_TRUE(out == data) << "round " << round << " level " << level << " strategy " << strategy;
    }
}
#endif
