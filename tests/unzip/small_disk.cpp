#include "unzip/small_disk.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>

#ifndef _WIN32
#include <sys/mount.h>
#endif

namespace fs = std::filesystem;

SmallDisk::SmallDisk([[maybe_unused]] const char* drive) {
#ifdef _WIN32
    if (!drive || !*drive) {
        fault_ = "SMALL_DISK names no drive: run the test through ctest, whose small_disk fixture maps one";
        return;
    }
    root_ = fs::path(std::string(drive) + "\\");
    std::error_code error;
    if (fs::exists(root_ / "mount-refused.txt", error)) {
        std::ifstream in(root_ / "mount-refused.txt");
        std::getline(in, refusal_);
        refusal_ = "no small disk: " + refusal_;
    } else if (!fs::is_directory(root_, error)) {
        fault_ = "drive " + std::string(drive) + " is not mapped";
    }
#else
    std::random_device seed;
    root_ = fs::temp_directory_path() / ("small-disk-" + std::to_string(seed()));
    fs::create_directory(root_);
    const std::string options = "size=" + std::to_string(kSize);
    if (mount("tmpfs", root_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0) {
        mounted_ = true;
    } else if (errno == EPERM || errno == EACCES) {
        refusal_ = std::string("no small disk: mounting a 5 MB tmpfs was refused (") + std::strerror(errno) +
                   "); the full-disk cases need root and a system that lets it mount";
    } else {
        fault_ = std::string("mounting a 5 MB tmpfs failed: ") + std::strerror(errno);
    }
#endif
}

SmallDisk::~SmallDisk() {
#ifndef _WIN32
    std::error_code error;
    if (mounted_) umount2(root_.c_str(), MNT_DETACH);
    fs::remove_all(root_, error);
#else
    if (fault_.empty() && refusal_.empty()) Clear();
#endif
}

uint64_t SmallDisk::Free() const { return fs::space(root_).available; }

void SmallDisk::Clear() {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(root_, error)) fs::remove_all(entry.path(), error);
}

void SmallDisk::FillLeaving(uint64_t left) {
    const uint64_t free = Free();
    uint64_t size = free > left ? free - left : 0;
    size = (size + 4095) / 4096 * 4096;  // whole pages, so that the rest is at most left
    std::ofstream out(root_ / "filler.bin", std::ios::binary | std::ios::trunc);
    const std::string block(1 << 20, 'f');
    for (uint64_t written = 0; written < size && out; written += block.size())
        out.write(block.data(), static_cast<std::streamsize>(std::min<uint64_t>(block.size(), size - written)));
}
