#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "unzip/legacy.h"
#include "unzip/legacy_encoders.h"
#include "unzip/unzip_test_support.h"
#include "unzip/unzipper.h"

namespace {

struct StringSink : TByteSink {
    std::string data;
    void Put(const uint8_t* p, size_t n) override { data.append(reinterpret_cast<const char*>(p), n); }
};

TMemorySource Source(const std::string& s, size_t chunk = 16000) {
    return TMemorySource(reinterpret_cast<const uint8_t*>(s.data()), s.size(), chunk);
}

// Sample inputs: prose, random bytes, long runs, and text of several 16000-byte blocks.
std::vector<std::pair<std::string, std::string>> Samples() {
    std::mt19937 random(5);
    const char* words[] = {"scan ", "page ", "zantivo ", "barcode ", "folder ", "\r\n", "index ", "\x90", "batch "};
    std::string prose, randomBytes(20000, '\0'), runs, long_text;
    while (prose.size() < 9000) prose += words[random() % 9];
    for (char& c : randomBytes) c = static_cast<char>(random());
    runs = std::string(5000, 'a') + std::string(3000, '\x90') + std::string(700, '\0') + "end";
    while (long_text.size() < 70000) long_text += words[random() % 9] + std::to_string(random() % 1000);
    return {{"prose", prose}, {"random", randomBytes}, {"runs", runs}, {"long", long_text}, {"tiny", "x"}, {"empty", ""}};
}

// A one-entry archive "legacy.zip" in dir, of the given method and flags.
void WriteLegacyArchive(const TempDir& dir, const std::string& compressed, const std::string& original,
                        uint16_t method, uint16_t flags) {
    CraftedEntry e;
    e.name = "member.bin";
    e.data = compressed;
    e.method = method;
    e.flags = flags;
    e.crc = TestCrc32(original);
    e.uncompressedSize = static_cast<uint32_t>(original.size());
    WriteFile(dir / "legacy.zip", BuildArchive({e}));
}

// Extracts a one-entry archive of the given method and flags with the component.
std::string ExtractOne(const std::string& compressed, const std::string& original, uint16_t method, uint16_t flags,
                       int* badCrc = nullptr) {
    TempDir dir;
    WriteLegacyArchive(dir, compressed, original, method, flags);
    TUnZipper zip;
    zip.SetZipName(Native(dir / "legacy.zip"));
    zip.SetDestDir(Native(dir / "out"));
    zip.DoAll = true;
    zip.OnBadCRC = [&](TUnZipper&, int32_t, int32_t, int32_t) {
        if (badCrc) ++*badCrc;
    };
    const int32_t extracted = zip.UnZip();
    return extracted == 1 ? ReadFile(dir / "out" / "member.bin") : std::string("(not extracted)");
}

// 7z, an independent decoder of shrink and implode, on the same archive.
bool HaveSevenZip() {
#ifdef _WIN32
    return false;
#else
    return std::system("7z i >/dev/null 2>&1") == 0;
#endif
}

std::string SevenZipExtract(const std::string& compressed, const std::string& original, uint16_t method,
                            uint16_t flags) {
    TempDir dir;
    WriteLegacyArchive(dir, compressed, original, method, flags);
    const std::string command = "cd '" + dir.Path().string() + "' && 7z x -y -bd -bso0 -bse0 legacy.zip >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return "(7z failed)";
    return ReadFile(dir / "member.bin");
}

}  // namespace

TEST(LegacyTest, ShrunkEntriesRoundTripAndAgreeWith7z) {
    const bool oracle = HaveSevenZip();
    for (auto& [name, data] : Samples()) {
        for (unsigned clearEvery : {0u, 150u}) {
            const std::string shrunk = TestShrink(data, clearEvery);
            EXPECT_EQ(ExtractOne(shrunk, data, 1, 0), data) << name << " clear " << clearEvery;
            if (oracle && !data.empty()) {
                EXPECT_EQ(SevenZipExtract(shrunk, data, 1, 0), data) << "7z: " << name << " clear " << clearEvery;
            }
        }
    }
    // Enough distinct strings to fill all 8192 codes: widening to 13 bits and clears when full.
    std::mt19937 random(9);
    std::string many;
    while (many.size() < 200000) many += static_cast<char>('a' + random() % 20);
    const std::string shrunk = TestShrink(many);
    EXPECT_EQ(ExtractOne(shrunk, many, 1, 0), many);
    if (oracle) {
        EXPECT_EQ(SevenZipExtract(shrunk, many, 1, 0), many);
    }
}

// A partial clear right after a leaf string frees the code just sent, yet the
// next new string takes it as prefix and the lowest free code: every later
// code is numbered one on from a decoder that skips that string.
TEST(LegacyTest, ShrunkEntriesClearedAfterALeafAgreeWith7z) {
    const bool oracle = HaveSevenZip();
    std::mt19937 random(13);
    std::string many;
    while (many.size() < 120000) many += static_cast<char>('a' + random() % 12);
    auto samples = Samples();
    samples.emplace_back("table full", many);
    for (auto& [name, data] : samples) {
        if (data.size() < 1000) continue;
        unsigned leafClears = 0;
        for (unsigned clearEvery : {0u, 40u, 300u}) {
            const std::string shrunk = TestShrink(data, clearEvery, true, &leafClears);
            EXPECT_TRUE(ExtractOne(shrunk, data, 1, 0) == data) << name << " clear " << clearEvery;
            if (oracle) {
                EXPECT_TRUE(SevenZipExtract(shrunk, data, 1, 0) == data) << "7z: " << name << " clear " << clearEvery;
            }
        }
        EXPECT_GT(leafClears, 0u) << name;
    }
}

TEST(LegacyTest, ImplodedEntriesOfEveryDictionaryAndTreeCountAgreeWith7z) {
    const bool oracle = HaveSevenZip();
    for (auto& [name, data] : Samples()) {
        if (data.empty()) continue;
        for (uint16_t flags : {0, 2, 4, 6}) {
            const std::string imploded = TestImplode(data, flags & 2, flags & 4);
            EXPECT_EQ(ExtractOne(imploded, data, 6, flags), data) << name << " flags " << flags;
            if (oracle) {
                EXPECT_EQ(SevenZipExtract(imploded, data, 6, flags), data) << "7z: " << name << " flags " << flags;
            }
        }
    }
}

TEST(LegacyTest, ReducedEntriesOfEveryFactorRoundTrip) {
    for (auto& [name, data] : Samples())
        for (unsigned factor = 1; factor <= 4; ++factor)
            for (unsigned followers : {0u, 3u, 32u})
                EXPECT_EQ(ExtractOne(TestReduce(data, factor, followers), data, static_cast<uint16_t>(factor + 1), 0),
                          data)
                    << name << " factor " << factor << " followers " << followers;
}

// Reduced streams built bit by bit, with the bytes they must give, so that
// an encoder and a decoder sharing a misreading cannot both pass.
TEST(LegacyTest, HandBuiltReducedStreams) {
    TUnreducer unreducer;
    auto decode = [&](const std::string& stream, unsigned factor, uint32_t size) {
        auto source = Source(stream);
        StringSink sink;
        EXPECT_TRUE(unreducer.Unreduce(source, sink, factor, size));
        return sink.data;
    };
    {   // Factor 1, no followers: 256 six-bit counts of 0, then 8-bit bytes.
        TestBitWriter w;
        for (int i = 0; i < 256; ++i) w.Put(0, 6);  // follower counts for 255..0: none
        w.Put('a', 8);                              // literal a
        w.Put('b', 8);                              // literal b
        w.Put(144, 8);                              // escape ...
        w.Put(0, 8);                                // ... then 0: a literal 144
        w.Put(144, 8);                              // escape: a copy follows
        w.Put(0x02, 8);                             // V: high bit 0 (distance < 256), length field 2 -> 5 bytes
        w.Put(2, 8);                                // low distance byte 2 -> distance 3
        w.Put('c', 8);                              // literal c
        EXPECT_EQ(decode(w.bytes, 1, 9), "ab\x90" "ab\x90" "abc");
    }
    {   // Factor 2: a length field of all ones (0x3F) takes an extra length byte,
        // and the top two bits of V are the distance's high byte.
        TestBitWriter w;
        for (int i = 0; i < 256; ++i) w.Put(0, 6);
        w.Put('x', 8);
        w.Put(144, 8);   // escape
        w.Put(0x3F, 8);  // V: distance high 0, length 63 = the mask: extra byte follows
        w.Put(10, 8);    // extra: length 63 + 10 + 3 = 76
        w.Put(0, 8);     // low distance 0 -> distance 1
        EXPECT_EQ(decode(w.bytes, 2, 77), std::string(77, 'x'));
    }
    {   // Factor 4: V's top four bits (here 1) times 256 plus the low byte plus 1
        // is the distance: reaching before the first byte gives zeros.
        TestBitWriter w;
        for (int i = 0; i < 256; ++i) w.Put(0, 6);
        w.Put('q', 8);
        w.Put(144, 8);  // escape
        w.Put(0x11, 8); // V: distance high 1, length 1 -> 4 bytes
        w.Put(0xFF, 8); // low byte 255 -> distance 1*256 + 255 + 1 = 512
        EXPECT_EQ(decode(w.bytes, 4, 5), std::string("q") + std::string(4, '\0'));
    }
    {   // Follower sets: 'a' is followed by {'b', 'c'} (index of one bit);
        // every other set is empty.
        TestBitWriter w;
        for (int c = 255; c >= 0; --c) {
            if (c == 'a') {
                w.Put(2, 6);    // two followers of 'a'
                w.Put('b', 8);  // index 0
                w.Put('c', 8);  // index 1
            } else {
                w.Put(0, 6);
            }
        }
        w.Put('a', 8);  // after byte 0 (empty set): 8 bits
        w.Put(0, 1);    // after 'a': a follower ...
        w.Put(1, 1);    // ... index 1: 'c'
        w.Put('a', 8);  // after 'c' (empty set)
        w.Put(1, 1);    // after 'a': not a follower ...
        w.Put('z', 8);  // ... a literal z
        w.Put('a', 8);
        w.Put(0, 1);    // follower index 0: 'b'
        w.Put(0, 1);
        EXPECT_EQ(decode(w.bytes, 3, 6), "acazab");
    }
}

TEST(LegacyTest, DamagedOrHostileDataStopsTheDecoderSafely) {
    const std::string data = Samples()[3].second;  // several blocks of text
    const std::string shrunk = TestShrink(data), imploded = TestImplode(data, true, true),
                      reduced = TestReduce(data, 2, 32);
    // Truncated inside the data: the CRC verdict follows, nothing is extracted.
    for (auto [method, flags, stream] : {std::tuple{1, 0, shrunk}, std::tuple{6, 6, imploded}, std::tuple{3, 0, reduced}}) {
        int badCrc = 0;
        EXPECT_EQ(ExtractOne(stream.substr(0, stream.size() / 2), data, static_cast<uint16_t>(method),
                             static_cast<uint16_t>(flags), &badCrc),
                  "(not extracted)");
        EXPECT_EQ(badCrc, 1) << method;
    }
    // Random damage anywhere never crashes; each decoder ends.
    std::mt19937 random(17);
    TUnshrinker unshrinker;
    TExploder exploder;
    TUnreducer unreducer;
    for (int round = 0; round < 300; ++round) {
        std::string s = round % 3 == 0 ? shrunk : round % 3 == 1 ? imploded : reduced;
        for (int k = 0; k < 1 + round % 5; ++k) s[random() % s.size()] ^= static_cast<char>(1 + random() % 255);
        auto source = Source(s, 1 + random() % 20000);
        StringSink sink;
        if (round % 3 == 0) unshrinker.Unshrink(source, sink);
        else if (round % 3 == 1) exploder.Explode(source, sink, 6, static_cast<uint32_t>(s.size()), static_cast<uint32_t>(data.size()));
        else unreducer.Unreduce(source, sink, 2, static_cast<uint32_t>(data.size()));
        EXPECT_LE(sink.data.size(), data.size() + (round % 3 == 0 ? 1u << 20 : 0u));
    }
    {   // A code not yet defined (300 when the next free code is 257).
        TestBitWriter w;
        w.Put('a', 9);
        w.Put(300, 9);
        auto source = Source(w.bytes);
        StringSink sink;
        EXPECT_FALSE(unshrinker.Unshrink(source, sink));
        EXPECT_EQ(sink.data, "a");
    }
    // Strings through a code freed by a partial clear, or through a code the
    // clear freed and the next string took with itself as prefix, are corrupt:
    // the decoder stops after the good strings instead of going round.
    for (auto [codes, good] : {std::pair{std::vector<unsigned>{97, 98, 257, 256, 2, 257}, std::string("abab")},
                               {{97, 98, 99, 100, 259, 260, 256, 2, 101, 257}, "abcdcddce"},
                               {{97, 98, 257, 256, 2, 99, 257}, "ababc"}}) {
        TestBitWriter w;
        for (unsigned code : codes) w.Put(code, 9);
        auto source = Source(w.bytes);
        StringSink sink;
        EXPECT_FALSE(unshrinker.Unshrink(source, sink)) << good;
        EXPECT_EQ(sink.data, good);
    }
    {   // Widening past 13 bits.
        TestBitWriter w;
        w.Put('a', 9);
        unsigned size = 9;
        for (; size <= 13; ++size) {
            w.Put(256, size);
            w.Put(1, size);
        }
        w.Put('b', size);
        auto source = Source(w.bytes);
        StringSink sink;
        EXPECT_FALSE(unshrinker.Unshrink(source, sink));
    }
    {   // An implode tree that does not add up to 64 codes (63 of 6 bits).
        TestBitWriter w;
        w.Put(3, 8);                        // four bytes of tree description
        for (int i = 0; i < 3; ++i) w.Put(0xF5, 8);  // 16 codes of 6 bits, three times
        w.Put(0xE5, 8);                     // 15 more: 63 in all
        auto source = Source(w.bytes);
        StringSink sink;
        EXPECT_FALSE(exploder.Explode(source, sink, 0, static_cast<uint32_t>(w.bytes.size()), 10));
        EXPECT_TRUE(sink.data.empty());
    }
}
