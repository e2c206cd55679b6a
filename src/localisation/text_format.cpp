#include "localisation/text_format.h"

#include "localisation/ini_integer.h"

namespace {

[[noreturn]] void FormatError(const std::wstring& format) {
    throw EConvertError(L"Format '" + format + L"' invalid or incompatible with argument");
}

// Reads a number of digits at text[i]; false when there are none.
bool Digits(const std::wstring& text, size_t& i, size_t& value) {
    const size_t start = i;
    value = 0;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9' && value < 100000) value = value * 10 + (text[i++] - L'0');
    return i > start;
}

}  // namespace

std::vector<TFormatPart> ParseFormat(const std::wstring& format) {
    std::vector<TFormatPart> parts;
    auto literal = [&parts]() -> std::wstring& {
        if (parts.empty() || parts.back().placeholder) parts.emplace_back();
        return parts.back().literal;
    };
    size_t nextArgument = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != L'%') {
            literal() += format[i];
            continue;
        }
        if (++i >= format.size()) FormatError(format);
        if (format[i] == L'%') {
            literal() += L'%';
            continue;
        }
        // [index ":"] ["-"] [width] ["." precision] type
        size_t index = nextArgument, number;
        size_t mark = i;
        if (Digits(format, i, number) && i < format.size() && format[i] == L':') {
            index = number;
            ++i;
        } else {
            i = mark;
        }
        TFormatPart part;
        part.placeholder = true;
        if (i < format.size() && format[i] == L'-') part.leftAlign = true, ++i;
        Digits(format, i, part.width);
        if (i < format.size() && format[i] == L'.') {
            ++i;
            if (!Digits(format, i, part.precision)) part.precision = 0;
        }
        // The one argument is a text: any other type, or a second argument, is an error.
        if (i >= format.size() || (format[i] != L's' && format[i] != L'S') || index != 0) FormatError(format);
        nextArgument = index + 1;
        parts.push_back(part);
    }
    return parts;
}

std::wstring FormatText(const std::wstring& format, const std::wstring& argument) {
    std::wstring out;
    for (const TFormatPart& part : ParseFormat(format)) {
        if (!part.placeholder) {
            out += part.literal;
            continue;
        }
        std::wstring value = argument.substr(0, part.precision);
        if (value.size() < part.width) value.insert(part.leftAlign ? value.size() : 0, part.width - value.size(), L' ');
        out += value;
    }
    return out;
}

int TextToInteger(const std::wstring& text) {
    int value;
    if (!ParseIniInteger(text, value)) throw EConvertError(L"'" + text + L"' is not a valid integer value");
    return value;
}
