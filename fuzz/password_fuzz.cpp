// The password check: one encrypted stored member whose 12-byte header and
// data come from the input, opened with a password from the input while a
// handler offers two others, then gives up.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "unzip/crafted_archive.h"
#include "unzip/errors.h"
#include "unzip/unzipper.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A folder of this process's own, removed when the fuzzer exits.
    static const struct Workspace {
        fs::path root = fs::temp_directory_path() / ("password-fuzz-" + std::to_string(getpid()));
        Workspace() { fs::create_directories(root); }
        ~Workspace() {
            std::error_code error;
            fs::remove_all(root, error);
        }
    } workspace;
    const fs::path& root = workspace.root;
    if (size < 3) return 0;
    const size_t passwordLength = data[0] % 16;
    const uint16_t flags = static_cast<uint16_t>(1 | (data[1] & 8));
    data += 2;
    size -= 2;
    if (passwordLength > size) return 0;
    const std::string password(reinterpret_cast<const char*>(data), passwordLength);
    CraftedEntry e;
    e.name = "secret.bin";
    e.data.assign(reinterpret_cast<const char*>(data + passwordLength), size - passwordLength);  // header and data as stored
    e.flags = flags;
    e.crc = size > 6 ? (uint32_t{data[size - 1]} << 24 | data[size - 2]) : 0;
    e.uncompressedSize = static_cast<uint32_t>(e.data.size() > 12 ? e.data.size() - 12 : 0);
    {
        std::ofstream file(root / "p.zip", std::ios::binary | std::ios::trunc);
        const std::string archive = BuildArchive({e});
        file.write(archive.data(), static_cast<std::streamsize>(archive.size()));
    }
    TUnZipper zip;
    zip.SetZipName((root / "p.zip").string());
    zip.SetDestDir((root / "out").string());
    zip.DoAll = true;
    zip.OverwriteMode = Always;
    zip.DoProcessMessages = false;
    zip.Password = password;
    int offered = 0;
    zip.OnBadPassword = [&](TUnZipper&, int32_t, std::string& next) {
        if (offered < 2) next = offered++ ? "417263" : std::string(password.rbegin(), password.rend()) + "x";
    };
    try {
        zip.UnZip();
    } catch (const EError&) {
    }
    return 0;
}
