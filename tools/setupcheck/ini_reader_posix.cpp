#include "ini_reader.h"

#include <fstream>
#include <sstream>

#include "ini_text.h"
#include "platform.h"
#include "text_encoding.h"

namespace setupcheck {
namespace {

class TTextIniReader final : public TIniReader {
public:
    explicit TTextIniReader(const std::wstring& text) : ini_(text) {}

    std::optional<std::wstring> Read(const std::wstring& section, const std::wstring& key) const override {
        return ini_.Read(section, key);
    }
    std::vector<std::wstring> Keys(const std::wstring& section) const override { return ini_.Keys(section); }
    std::vector<std::wstring> Sections() const override { return ini_.Sections(); }

private:
    TIniText ini_;
};

}  // namespace

// A file that cannot be read reads as empty, as the private-profile functions do.
std::unique_ptr<TIniReader> OpenIniReader(const std::wstring& path, unsigned codePage) {
    std::ifstream in(FsPath(path), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return std::make_unique<TTextIniReader>(DecodeIniText(bytes.str(), codePage));
}

}  // namespace setupcheck
