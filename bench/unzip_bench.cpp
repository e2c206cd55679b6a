// In-memory, single-threaded throughput of the component's inner loops
// beside zlib (a benchmark-only dependency) on the same data:
//   unzip_bench ARCHIVE...
// Deflate streams are the members of the given archives (stored ones are
// used for CRC and decryption).
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "unzip/crc32.h"
#include "unzip/crypt.h"
#include "unzip/decode_io.h"
#include "unzip/entry.h"
#include "unzip/inflate.h"

namespace {

struct Member {
    std::string compressed;
    size_t size;
};

std::vector<Member> DeflateMembers(const std::string& path, std::string& allBytes) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    allBytes = s.str();
    const auto* d = reinterpret_cast<const unsigned char*>(allBytes.data());
    std::vector<Member> members;
    for (size_t p = 0; p + 30 <= allBytes.size();) {
        if (Get32(d + p) != kLocalSignature) break;
        const uint32_t csize = Get32(d + p + 18), usize = Get32(d + p + 22);
        const size_t start = p + 30 + Get16(d + p + 26) + Get16(d + p + 28);
        if (Get16(d + p + 8) == 8 && !(Get16(d + p + 6) & 9)) members.push_back({allBytes.substr(start, csize), usize});
        p = start + csize;
    }
    return members;
}

struct CountingSink : TByteSink {
    size_t total = 0;
    uint32_t check = 0;
    void Put(const uint8_t* data, size_t n) override {
        total += n;
        check += data[n - 1];
    }
};

template <class F>
double BestSeconds(int rounds, F f) {
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        f();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: unzip_bench ARCHIVE (deflated members are decoded)\n");
        return 2;
    }
    std::string bytes;
    std::vector<Member> members = DeflateMembers(argv[1], bytes);
    size_t total = 0, compressed = 0;
    for (auto& m : members) total += m.size, compressed += m.compressed.size();
    std::printf("%zu deflate members, %.1f MB -> %.1f MB\n", members.size(), compressed / 1e6, total / 1e6);

    TInflater inflater;
    std::vector<unsigned char> out(64 << 20);
    const double ours = BestSeconds(5, [&] {
        for (auto& m : members) {
            TMemorySource source(reinterpret_cast<const uint8_t*>(m.compressed.data()), m.compressed.size());
            CountingSink sink;
            inflater.Inflate(source, sink);
        }
    });
    const double theirs = BestSeconds(5, [&] {
        for (auto& m : members) {
            z_stream z{};
            inflateInit2(&z, -15);
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(m.compressed.data()));
            z.avail_in = static_cast<uInt>(m.compressed.size());
            do {
                z.next_out = out.data();
                z.avail_out = static_cast<uInt>(std::min(out.size(), size_t{1} << 18));
            } while (inflate(&z, Z_NO_FLUSH) == Z_OK);
            inflateEnd(&z);
        }
    });
    std::printf("inflate      ours %7.0f MB/s   zlib %7.0f MB/s   ratio %.2f\n", total / ours / 1e6, total / theirs / 1e6,
                theirs / ours);

    std::vector<unsigned char> data(256 << 20);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 2654435761u >> 13);
    uint32_t c1 = 0, c2 = 0;
    const double crcOurs = BestSeconds(5, [&] { c1 = Crc32(0, data.data(), data.size()); });
    const double crcZlib = BestSeconds(5, [&] { c2 = static_cast<uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size()))); });
    const double copy = BestSeconds(5, [&] { std::memcpy(out.data(), data.data(), out.size()); });
    std::printf("crc32        ours %7.0f MB/s   zlib %7.0f MB/s   ratio %.2f   (memcpy %.0f MB/s)%s\n",
                data.size() / crcOurs / 1e6, data.size() / crcZlib / 1e6, crcZlib / crcOurs, out.size() / copy / 1e6,
                c1 == c2 ? "" : "  MISMATCH");

    // Decryption: our loop against the plain textbook loop, one byte at a time.
    std::vector<unsigned char> cipher(compressed > 0 ? std::min<size_t>(compressed, 64 << 20) : (16 << 20));
    for (size_t i = 0; i < cipher.size(); ++i) cipher[i] = static_cast<unsigned char>(i * 7919);
    std::vector<unsigned char> work = cipher;
    const double decOurs = BestSeconds(3, [&] {
        work = cipher;
        TZipKeys keys("417263");
        keys.Decrypt(work.data(), work.size());
    });
    std::vector<unsigned char> ref = cipher;
    const double decRef = BestSeconds(3, [&] {
        ref = cipher;
        TZipKeys keys("417263");
        for (auto& b : ref) b = keys.DecryptByte(b);
    });
    std::printf("decrypt      ours %7.0f MB/s   plain %6.0f MB/s   ratio %.2f%s\n", work.size() / decOurs / 1e6,
                ref.size() / decRef / 1e6, decRef / decOurs, work == ref ? "" : "  MISMATCH");
    return 0;
}
