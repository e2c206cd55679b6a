// Whole archives: the bytes become a file, its directory is read and every
// entry extracted into a fresh folder, without and with the payload's
// password, under the incomplete-archive mode the first byte picks. Nothing
// may appear outside the destination.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

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
        std::error_code error;
        fs::remove_all(out, error);
        TUnZipper zip;
        zip.SetZipName(archive.string());
        zip.SetDestDir(out.string());
        zip.DoAll = zip.RecreateDirs = true;
        zip.OverwriteMode = Always;
        zip.DoProcessMessages = false;
        zip.IncompleteZipMode = mode;
        zip.Password = password;
        try {
            zip.UnZip();
            for (int32_t i = 0; i < zip.Count(); ++i) zip.FileComment(i);
            zip.ZipComment();
        } catch (const EError&) {
        }
        for (auto& entry : fs::directory_iterator(root))
            if (entry.path() != archive && entry.path() != out) {
                std::fprintf(stderr, "written outside the destination: %s\n", entry.path().c_str());
                __builtin_trap();
            }
    }
    return 0;
}
