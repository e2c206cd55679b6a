// Helpers for the ZIP component's tests, in both builds: temporary folders,
// the archives made by the fixture (Info-ZIP zip, Python's zipfile), and
// archives built field by field for the cases no tool writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// The fixture's folder (UNZIP_TEST_DATA; a Unix path is read through Wine's Z: drive).
fs::path TestData();
// A path as the component's 8-bit text, with '\' separators on Windows.
std::string Native(const fs::path& path);

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& Path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    std::string Str() const { return Native(path_); }

private:
    fs::path path_;
};

std::string ReadFile(const fs::path& path);
void WriteFile(const fs::path& path, const std::string& bytes);
// Every regular file below root, as relative paths with '/', with contents.
std::vector<std::pair<std::string, std::string>> TreeFiles(const fs::path& root);

// One member of a crafted archive.
struct CraftedEntry {
    std::string name;           // stored as is ('/' separators)
    std::string data;           // the entry's bytes as stored (already compressed, if method 8)
    uint16_t method = 0;
    uint16_t flags = 0;
    uint32_t dosDateTime = (uint32_t{(44u << 9) | (3u << 5) | 5u} << 16) | (10u << 11) | (20u << 5) | 15u;  // 2024-03-05 10:20:30
    uint32_t externalAttributes = 0x20;
    uint32_t uncompressedSize = UINT32_MAX;  // default: data.size()
    uint32_t crc = UINT32_MAX;               // default: CRC of data (stored entries)
    std::string password;                    // encrypts data with the traditional cipher when set
    uint16_t versionMadeBy = 20;
};

// Builds a whole archive: local headers with their data, the central
// directory, the end record (with a comment when given).
std::string BuildArchive(const std::vector<CraftedEntry>& entries, const std::string& comment = "");
uint32_t TestCrc32(const std::string& data);
