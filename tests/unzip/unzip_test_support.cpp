#include "unzip/unzip_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>


fs::path TestData() {
    const char* env = std::getenv("UNZIP_TEST_DATA");
    std::string path = env ? env : "";
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
    return fs::path(path);
}

std::string Native(const fs::path& path) {
    std::string s = path.string();
#ifdef _WIN32
    for (char& c : s)
        if (c == '/') c = '\\';
#endif
    return s;
}

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device seed;
    for (;;) {
        path_ = fs::temp_directory_path() / ("unzip-test-" + std::to_string(seed()) + "-" + std::to_string(counter++));
        std::error_code error;
        if (fs::create_directory(path_, error)) break;
    }
}

TempDir::~TempDir() {
    std::error_code error;
    // Read-only files left by a test must not stop the clean-up.
    for (auto it = fs::recursive_directory_iterator(path_, error); it != fs::recursive_directory_iterator(); ++it)
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(path_, error);
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::vector<std::pair<std::string, std::string>> TreeFiles(const fs::path& root) {
    std::vector<std::pair<std::string, std::string>> files;
    for (auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) files.emplace_back(fs::relative(e.path(), root).generic_string(), ReadFile(e.path()));
    std::sort(files.begin(), files.end());
    return files;
}

