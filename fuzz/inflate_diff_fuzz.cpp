// Differential: the input, compressed by zlib (benchmark and test use only)
// at a level, strategy and window the input chooses, must come back from
// our inflater byte for byte.
#include <zlib.h>

#include <string>
#include <vector>

#include "fuzz_support.h"
#include "unzip/inflate.h"

namespace {

struct StringSink : TByteSink {
    std::string data;
    void Put(const uint8_t* p, size_t n) override { data.append(reinterpret_cast<const char*>(p), n); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TInflater inflater;
    const uint32_t choice = TakeParameter(data, size, 2);
    const int level = static_cast<int>(choice % 10);
    static const int kStrategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
    const int strategy = kStrategies[(choice / 10) % 5];
    const int windowBits = 9 + static_cast<int>((choice / 50) % 7);
    const int memLevel = 1 + static_cast<int>((choice / 350) % 9);

    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -windowBits, memLevel, strategy) != Z_OK) return 0;
    std::vector<uint8_t> compressed(deflateBound(&z, size) + 16);
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = compressed.data();
    z.avail_out = static_cast<uInt>(compressed.size());
    const int result = deflate(&z, Z_FINISH);
    const size_t length = z.total_out;
    deflateEnd(&z);
    if (result != Z_STREAM_END) __builtin_trap();

    TMemorySource source(compressed.data(), length, 1 + choice % 997);
    StringSink sink;
    if (!inflater.Inflate(source, sink)) __builtin_trap();
    if (sink.data.size() != size || (size && sink.data.compare(0, size, reinterpret_cast<const char*>(data), size) != 0))
        __builtin_trap();
    return 0;
}
