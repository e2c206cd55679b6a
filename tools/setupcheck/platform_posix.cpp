#include "platform.h"

#include <iconv.h>

#include <cerrno>
#include <system_error>
#include <vector>

#include "ascii_case.h"
#include "util/error.h"

namespace fs = std::filesystem;

namespace setupcheck {
namespace {

// The entry of folder that Windows would open for name, or nothing: Windows
// ignores letter case in names.
std::optional<fs::path> MatchInFolder(const fs::path& folder, const std::string& name) {
    std::error_code error;
    if (fs::exists(folder / name, error)) return folder / name;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        if (SameName(entry.path().filename().string(), name)) return entry.path();
    return std::nullopt;
}

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (Open()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Open() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return cd_; }

private:
    iconv_t cd_;
};

std::string IconvName(unsigned codePage) { return codePage == 65001 ? "UTF-8" : "CP" + std::to_string(codePage); }

// Converts bytes of the code page to wide text; what does not decode fails
// the whole conversion (strict) or becomes U+FFFD.
std::optional<std::wstring> Decode(unsigned codePage, const std::string& bytes, bool strict) {
    Converter converter("WCHAR_T", IconvName(codePage).c_str());
    if (!converter.Open()) return std::nullopt;
    // No code page gives more than one character per byte.
    std::vector<wchar_t> out(bytes.size() + 1);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* outAt = reinterpret_cast<char*>(out.data());
    size_t outLeft = out.size() * sizeof(wchar_t);
    std::wstring text;
    while (inLeft > 0) {
        if (iconv(converter.Get(), &in, &inLeft, &outAt, &outLeft) != static_cast<size_t>(-1)) break;
        if (strict || (errno != EILSEQ && errno != EINVAL)) return std::nullopt;
        // One undecodable byte becomes one replacement character.
        const size_t done = static_cast<size_t>(reinterpret_cast<wchar_t*>(outAt) - out.data());
        text.append(out.data(), done);
        text += L'\xFFFD';
        ++in, --inLeft;
        outAt = reinterpret_cast<char*>(out.data());
        outLeft = out.size() * sizeof(wchar_t);
        iconv(converter.Get(), nullptr, nullptr, nullptr, nullptr);
    }
    text.append(out.data(), static_cast<size_t>(reinterpret_cast<wchar_t*>(outAt) - out.data()));
    return text;
}

}  // namespace

std::wstring FolderPath(const std::wstring& given) {
    if (!given.empty() && given.back() == L'/') return given;
    return given + L'/';
}

std::optional<std::wstring> FindFile(const std::wstring& folder, const std::wstring& relative) {
    std::error_code error;
    fs::path current = fs::absolute(FsPath(folder), error).lexically_normal();
    if (!current.has_filename()) current = current.parent_path();
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find_first_of(L"\\/", start);
        if (end == std::wstring::npos) end = relative.size();
        std::wstring name = relative.substr(start, end - start);
        start = end + 1;
        if (name == L"..") {
            current = current.parent_path();
            continue;
        }
        // Windows drops the trailing dots and blanks of a name.
        while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
        if (name.empty()) continue;
        std::optional<fs::path> match = MatchInFolder(current, WideToUtf8(name));
        if (!match) return std::nullopt;
        current = *match;
    }
    if (!fs::exists(current, error) || fs::is_directory(current, error)) return std::nullopt;
    return Utf8ToWide(current.string());
}

fs::path FsPath(const std::wstring& path) { return fs::path(WideToUtf8(path)); }

std::wstring WidePath(const fs::path& path) { return Utf8ToWide(path.string()); }

unsigned DefaultCodePage() { return 1252; }

bool CodePageKnown(unsigned codePage) { return Converter("WCHAR_T", IconvName(codePage).c_str()).Open(); }

std::optional<std::wstring> DecodeStrictly(unsigned codePage, const std::string& bytes) {
    return Decode(codePage, bytes, true);
}

std::wstring DecodeLeniently(unsigned codePage, const std::string& bytes) {
    return Decode(codePage, bytes, false).value_or(std::wstring());
}

bool FitsCodePage(unsigned codePage, const std::wstring& text) {
    Converter converter(IconvName(codePage).c_str(), "WCHAR_T");
    if (!converter.Open()) return false;
    char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(text.data()));
    size_t inLeft = text.size() * sizeof(wchar_t);
    std::vector<char> out(text.size() * 4 + 4);
    char* outAt = out.data();
    size_t outLeft = out.size();
    return iconv(converter.Get(), &in, &inLeft, &outAt, &outLeft) != static_cast<size_t>(-1);
}

std::optional<std::string> ComponentText(const std::wstring& path) { return WideToUtf8(path); }

std::wstring FromComponentText(const std::string& text) { return Utf8ToWide(text); }

}  // namespace setupcheck
