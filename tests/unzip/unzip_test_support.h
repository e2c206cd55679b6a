// Helpers for the ZIP component's tests, in both builds: temporary folders
// and the archives made by the fixture (Info-ZIP zip, Python's zipfile).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "unzip/crafted_archive.h"

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

