#include "ini_reader.h"

#include "localisation/ini_file.h"

namespace setupcheck {
namespace {

class TWindowsIniReader final : public TIniReader {
public:
    explicit TWindowsIniReader(const std::wstring& path) : ini_(path) {}

    std::optional<std::wstring> Read(const std::wstring& section, const std::wstring& key) const override {
        // A default that no language file holds tells a missing key from an empty value.
        static const std::wstring kAbsent = L"\x01setupcheck:absent\x01";
        std::wstring value = ini_.ReadString(section, key, kAbsent);
        if (value == kAbsent) return std::nullopt;
        return value;
    }
    std::vector<std::wstring> Keys(const std::wstring& section) const override { return ini_.ReadSection(section); }
    std::vector<std::wstring> Sections() const override { return ini_.ReadSections(); }

private:
    TIniFile ini_;
};

}  // namespace

std::unique_ptr<TIniReader> OpenIniReader(const std::wstring& path, unsigned) {
    return std::make_unique<TWindowsIniReader>(path);
}

}  // namespace setupcheck
