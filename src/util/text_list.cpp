#include "util/text_list.h"

#include <windows.h>

#include "util/change_recorder.h"
#include "util/code_page.h"
#include "util/handles.h"
#include "util/text_lines.h"
#include "util/win_error.h"

namespace {

std::wstring DecodeUtf16(const std::string& bytes, size_t from, bool bigEndian) {
    const size_t units = (bytes.size() - from) / 2;  // an odd last byte is dropped
    std::wstring text(units, L'\0');
    for (size_t i = 0; i < units; ++i) {
        auto hi = static_cast<unsigned char>(bytes[from + 2 * i + (bigEndian ? 0 : 1)]);
        auto lo = static_cast<unsigned char>(bytes[from + 2 * i + (bigEndian ? 1 : 0)]);
        text[i] = static_cast<wchar_t>((hi << 8) | lo);
    }
    return text;
}

bool StartsWith(const std::string& bytes, const char* mark, size_t length) {
    return bytes.size() >= length && bytes.compare(0, length, mark, length) == 0;
}

std::wstring DecodeText(const std::string& bytes) {
    if (StartsWith(bytes, "\xFF\xFE", 2)) return DecodeUtf16(bytes, 2, false);
    if (StartsWith(bytes, "\xFE\xFF", 2)) return DecodeUtf16(bytes, 2, true);
    if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) return CodePageToWide(CP_UTF8, bytes.data() + 3, bytes.size() - 3);
    return CodePageToWide(CP_ACP, bytes.data(), bytes.size());
}

}  // namespace

std::vector<std::wstring> DecodeTextList(const std::string& bytes) { return SplitTextLines(DecodeText(bytes)); }

std::string EncodeTextList(const std::vector<std::wstring>& lines) {
    std::string bytes = "\xFF\xFE";
    auto put = [&bytes](wchar_t c) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    };
    for (const std::wstring& line : lines) {
        for (wchar_t c : line) put(c);
        put(L'\r');
        put(L'\n');
    }
    return bytes;
}

std::string ReadFileBytes(const std::wstring& path) {
    UniqueHFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) RaiseLastOSError(L"Cannot open file \"" + path + L"\"");
    LARGE_INTEGER size;
    CheckWin32Bool(GetFileSizeEx(file.get(), &size), L"Cannot read file \"" + path + L"\"");
    if (size.QuadPart > 0x7FFFFFFF) throw EOSError(ERROR_FILE_TOO_LARGE, L"Cannot read file \"" + path + L"\"");
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD done = 0;
    if (!bytes.empty())
        CheckWin32Bool(ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr),
                       L"Cannot read file \"" + path + L"\"");
    bytes.resize(done);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    if (!RecordFileChange(path, TFileChange::Replace)) RaiseLastOSError(L"Cannot create file \"" + path + L"\"");
    UniqueHFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
    if (!file) RaiseLastOSError(L"Cannot create file \"" + path + L"\"");
    DWORD done = 0;
    CheckWin32Bool(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                       done == bytes.size(),
                   L"Cannot write file \"" + path + L"\"");
}

std::vector<std::wstring> ReadTextList(const std::wstring& path) { return DecodeTextList(ReadFileBytes(path)); }

void WriteTextList(const std::wstring& path, const std::vector<std::wstring>& lines) {
    WriteFileBytes(path, EncodeTextList(lines));
}
