// Writes seed inputs for the legacy decoders' fuzz targets, in their input
// layouts (parameters first), made with the tests' encoders:
//   make_fuzz_seeds DIR   (writes DIR/explode, DIR/unshrink, DIR/unreduce)
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "unzip/legacy_encoders.h"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Size3(uint32_t v) { return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF)}; }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const fs::path dir = argv[1];
    for (const char* sub : {"explode", "unshrink", "unreduce"}) fs::create_directories(dir / sub);
    std::mt19937 random(11);
    const char* words[] = {"scan ", "page ", "zantivo ", "\x90", "index ", "\r\n"};
    for (int n = 0; n < 8; ++n) {
        std::string text;
        while (text.size() < static_cast<size_t>(200 << n)) text += words[random() % 6];
        const std::string tag = std::to_string(n);
        for (int flags : {0, 2, 4, 6})
            Write(dir / "explode" / (tag + "-" + std::to_string(flags)),
                  std::string(1, char(flags)) + Size3(uint32_t(text.size())) + TestImplode(text, flags & 2, flags & 4));
        Write(dir / "unshrink" / tag, std::string("\x80\x3e", 2) + TestShrink(text, n % 2 ? 100 : 0));
        Write(dir / "unshrink" / (tag + "-leaf"), std::string("\x80\x3e", 2) + TestShrink(text, 40 + n * 20, true));
        for (unsigned factor = 1; factor <= 4; ++factor)
            Write(dir / "unreduce" / (tag + "-" + std::to_string(factor)),
                  std::string(1, char(factor - 1)) + Size3(uint32_t(text.size())) + TestReduce(text, factor, 1 + n * 4));
    }
    return 0;
}
