// Whole archives: the bytes become a file, its directory is read and every
// entry extracted into a fresh folder, without and with the payload's
// password, under the incomplete-archive mode the first byte picks. Nothing
// may appear outside the destination. Each extraction runs twice, with the
// entries decoded on the caller's thread and on a decoding thread of their
// own; both must say the same and leave the same files.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "unzip/errors.h"
#include "unzip/unzipper.h"

namespace fs = std::filesystem;

namespace {

// A folder of this process's own, removed when the fuzzer exits.
struct Workspace {
    fs::path root = fs::temp_directory_path() / ("archive-fuzz-" + std::to_string(getpid()));
    Workspace() { fs::create_directories(root); }
    ~Workspace() {
        std::error_code error;
        fs::remove_all(root, error);
    }
};

// What one extraction said and left behind.
struct Outcome {
    std::vector<std::string> said;
    std::vector<std::string> left;
    bool operator==(const Outcome&) const = default;
};

Outcome Extract(const fs::path& archive, const fs::path& out, TIncompleteZipMode mode, const char* password,
                TDecodeAheadMode decodeAhead) {
    Outcome o;
    std::error_code error;
    fs::remove_all(out, error);
    TUnZipper zip;
    zip.SetZipName(archive.string());
    zip.SetDestDir(out.string());
    zip.DoAll = zip.RecreateDirs = true;
    zip.OverwriteMode = Always;
    zip.IncompleteZipMode = mode;
    zip.Password = password;
    zip.DecodeAhead = decodeAhead;
    auto say = [&o](std::string line) { o.said.push_back(std::move(line)); };
    auto pump = zipos::SetMessagePump([&] { say("offer"); });
    zip.OnStartUnZip = [&](TUnZipper&, int32_t i, std::string& name, bool&) {
        say("start " + std::to_string(i) + name);
    };
    zip.OnSkippingFile = [&](TUnZipper&, TSkipReason r, const std::string& name, int32_t i, bool&) {
        say("skip " + std::to_string(r) + " " + std::to_string(i) + name);
    };
    zip.OnTotalPercentDone = [&](TUnZipper&, int32_t p) { say("total " + std::to_string(p)); };
    zip.OnBadCRC = [&](TUnZipper&, int32_t c, int32_t s, int32_t i) {
        say("crc " + std::to_string(c) + " " + std::to_string(s) + " " + std::to_string(i));
    };
    zip.OnEndUnZip = [&](TUnZipper&, int32_t i, const std::string& name) { say("end " + std::to_string(i) + name); };
    try {
        say("returned " + std::to_string(zip.UnZip()));
        for (int32_t i = 0; i < zip.Count(); ++i) zip.FileComment(i);
        zip.ZipComment();
    } catch (const EError& e) {
        say(std::string("raised ") + e.what());
    }
    zipos::SetMessagePump(pump);
    if (fs::exists(out))
        for (auto& entry : fs::recursive_directory_iterator(out, error)) {
            std::string line = entry.path().string();
            if (entry.is_regular_file()) {
                std::ifstream file(entry.path(), std::ios::binary);
                line += " " + std::string(std::istreambuf_iterator<char>(file), {});
            }
            o.left.push_back(line);
        }
    std::sort(o.left.begin(), o.left.end());
    return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Workspace workspace;
    const fs::path& root = workspace.root;
    const fs::path archive = root / "input.zip", out = root / "out";
    const TIncompleteZipMode mode = size > 0 ? static_cast<TIncompleteZipMode>(data[0] % 3) : izAssumeMulti;
    {
        std::ofstream file(archive, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    for (const char* password : {"", "417263"}) {
        const Outcome single = Extract(archive, out, mode, password, daNever);
        const Outcome ahead = Extract(archive, out, mode, password, daAlways);
        if (!(single == ahead)) {
            std::fprintf(stderr, "the decoding thread changed what the extraction says or leaves\n");
            __builtin_trap();
        }
        for (auto& entry : fs::directory_iterator(root))
            if (entry.path() != archive && entry.path() != out) {
                std::fprintf(stderr, "written outside the destination: %s\n", entry.path().c_str());
                __builtin_trap();
            }
    }
    return 0;
}
