#include "text_encoding.h"

#include "platform.h"

namespace setupcheck {

TByteOrderMark MarkOf(const std::string& bytes) {
    if (bytes.compare(0, 2, "\xFF\xFE") == 0) return TByteOrderMark::Utf16Le;
    if (bytes.compare(0, 2, "\xFE\xFF") == 0) return TByteOrderMark::Utf16Be;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return TByteOrderMark::Utf8;
    return TByteOrderMark::None;
}

size_t MarkLength(TByteOrderMark mark) {
    switch (mark) {
    case TByteOrderMark::None: return 0;
    case TByteOrderMark::Utf8: return 3;
    default: return 2;
    }
}

std::wstring DecodeUtf16(const std::string& bytes, size_t from, bool bigEndian, bool* valid) {
    std::wstring text;
    auto unit = [&](size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? static_cast<char32_t>((a << 8) | b) : static_cast<char32_t>((b << 8) | a);
    };
    auto bad = [&] {
        if (valid) *valid = false;
        text += L'\xFFFD';
    };
    for (size_t i = from; i + 1 < bytes.size(); i += 2) {
        const char32_t c = unit(i);
        if (c >= 0xDC00 && c <= 0xDFFF) {
            bad();
        } else if (c >= 0xD800 && c <= 0xDBFF) {
            const char32_t low = i + 3 < bytes.size() ? unit(i + 2) : 0;
            if (low < 0xDC00 || low > 0xDFFF) {
                bad();
                continue;
            }
            if constexpr (sizeof(wchar_t) == 2) {
                text += static_cast<wchar_t>(c);
                text += static_cast<wchar_t>(low);
            } else {
                text += static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
            }
            i += 2;
        } else {
            text += static_cast<wchar_t>(c);
        }
    }
    return text;
}

std::wstring DecodeIniText(const std::string& bytes, unsigned codePage) {
    if (MarkOf(bytes) == TByteOrderMark::Utf16Le) return DecodeUtf16(bytes, 2, false);
    return DecodeLeniently(codePage, bytes);
}

std::wstring DecodeListText(const std::string& bytes, unsigned codePage) {
    switch (MarkOf(bytes)) {
    case TByteOrderMark::Utf16Le: return DecodeUtf16(bytes, 2, false);
    case TByteOrderMark::Utf16Be: return DecodeUtf16(bytes, 2, true);
    case TByteOrderMark::Utf8: return DecodeLeniently(65001, bytes.substr(3));
    case TByteOrderMark::None: break;
    }
    return DecodeLeniently(codePage, bytes);
}

bool LooksLikeUtf8(const std::string& bytes) {
    bool high = false;
    for (size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        high = true;
        const size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
        if (length == 0 || c > 0xF4 || i + length > bytes.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return high;
}

}  // namespace setupcheck
