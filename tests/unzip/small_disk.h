// A small disk for the tests of a full one. On POSIX a 5 MB tmpfs mounted in
// a temporary folder for the object's lifetime (the tests run as root);
// under Wine the drive that the small_disk fixture maps to such a tmpfs
// (named by SMALL_DISK unless the test names it), which the fixture maps to
// a plain folder holding mount-refused.txt where mounting is refused.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

class SmallDisk {
public:
    static constexpr uint64_t kSize = 5 << 20;

    // Under Wine, drive is the letter mapped to the tmpfs ("T:"); POSIX mounts its own.
    explicit SmallDisk(const char* drive = std::getenv("SMALL_DISK"));
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    // Why mounting was refused (the test skips then), else empty.
    const std::string& Refusal() const { return refusal_; }
    // What else keeps the disk away (the test fails then), else empty.
    const std::string& Fault() const { return fault_; }
    const std::filesystem::path& Root() const { return root_; }
    // The bytes free on the disk.
    uint64_t Free() const;
    // Removes everything on the disk.
    void Clear();
    // Fills the disk with one file until at most `left` bytes stay free.
    void FillLeaving(uint64_t left);

private:
    std::filesystem::path root_;
    bool mounted_ = false;
    std::string refusal_;
    std::string fault_;
};
