#include "check_context.h"

#include <fstream>
#include <sstream>

#include "text_encoding.h"

namespace setupcheck {
namespace {

const std::wstring kSaveAsUtf16 = L"save it as UTF-16LE with the mark FF FE";

// The first line (from 1) that does not decode in the code page. No
// multi-byte code page uses a line feed inside a character.
size_t FirstUndecodableLine(unsigned codePage, const std::string& bytes) {
    size_t line = 1;
    for (size_t start = 0; start <= bytes.size(); ++line) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        if (!DecodeStrictly(codePage, bytes.substr(start, end - start))) return line;
        start = end + 1;
    }
    return 0;
}

// False when the installer cannot read the file's texts at all.
bool CheckIniEncoding(TCheckContext& c, const TPlace& place, const std::string& bytes) {
    const std::wstring codePage = std::to_wstring(c.codePage);
    switch (MarkOf(bytes)) {
    case TByteOrderMark::Utf16Le: {
        bool valid = true;
        DecodeUtf16(bytes, 2, false, &valid);
        if (!valid || bytes.size() % 2 != 0)
            c.findings.Error(place, L"is not valid UTF-16LE text: a character is cut off or lacks its surrogate partner");
        return true;
    }
    case TByteOrderMark::Utf16Be:
        c.findings.Error(place, L"is UTF-16 in big-endian order (mark FE FF): the installer's INI functions read "
                                L"UTF-16LE or 8-bit text; " + kSaveAsUtf16);
        return false;
    case TByteOrderMark::Utf8:
        c.findings.Error(place, L"is UTF-8 with a byte-order mark: Windows reads it as 8-bit text in the ANSI code "
                                L"page, the mark spoiling its first line; " + kSaveAsUtf16);
        return false;
    case TByteOrderMark::None: break;
    }
    if (bytes.find('\0') != std::string::npos) {
        c.findings.Error(place, L"holds NUL bytes, like UTF-16 text without its byte-order mark; " + kSaveAsUtf16);
        return false;
    }
    if (!DecodeStrictly(c.codePage, bytes)) {
        c.findings.Error(place, L"line " + std::to_wstring(FirstUndecodableLine(c.codePage, bytes)) +
                                    L" is not text in code page " + codePage + L", the ANSI code page it is read in; " +
                                    kSaveAsUtf16);
    } else if (c.codePage != 65001 && LooksLikeUtf8(bytes)) {
        c.findings.Warning(place, L"holds UTF-8 text without a byte-order mark, which Windows reads in code page " +
                                      codePage + L", garbling every letter beyond ASCII; " + kSaveAsUtf16);
    }
    return true;
}

}  // namespace

std::optional<std::string> ReadSetupFile(TCheckContext& c, const TPlace& place, const std::wstring& path) {
    std::ifstream in(FsPath(path), std::ios::binary);
    std::ostringstream bytes;
    if (in) bytes << in.rdbuf();
    if (!in || in.bad()) {
        c.findings.Error(place, L"cannot be read");
        return std::nullopt;
    }
    return bytes.str();
}

std::unique_ptr<TIniReader> OpenSetupIni(TCheckContext& c, const TPlace& place, const std::wstring& whenMissing) {
    const std::optional<std::wstring> path = c.Find(place.file);
    if (!path) {
        if (!whenMissing.empty()) c.findings.Error(place, whenMissing);
        return nullptr;
    }
    const std::optional<std::string> bytes = ReadSetupFile(c, place, *path);
    if (!bytes || !CheckIniEncoding(c, place, *bytes)) return nullptr;
    return OpenIniReader(*path, c.codePage);
}

}  // namespace setupcheck
