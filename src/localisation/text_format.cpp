#include "localisation/text_format.h"

#include "localisation/ini_file.h"

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

std::wstring FormatText(const std::wstring& format, const std::wstring& argument) {
    std::wstring out;
    size_t nextArgument = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != L'%') {
            out += format[i];
            continue;
        }
        if (++i >= format.size()) FormatError(format);
        if (format[i] == L'%') {
            out += L'%';
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
        bool left = false;
        if (i < format.size() && format[i] == L'-') left = true, ++i;
        size_t width = 0, precision = std::wstring::npos;
        Digits(format, i, width);
        if (i < format.size() && format[i] == L'.') {
            ++i;
            if (!Digits(format, i, precision)) precision = 0;
        }
        if (i >= format.size() || (format[i] != L's' && format[i] != L'S') || index != 0) FormatError(format);
        nextArgument = index + 1;
        std::wstring value = argument.substr(0, precision);
        if (value.size() < width) value.insert(left ? value.size() : 0, width - value.size(), L' ');
        out += value;
    }
    return out;
}

int TextToInteger(const std::wstring& text) {
    int value;
    if (!ParseIniInteger(text, value)) throw EConvertError(L"'" + text + L"' is not a valid integer value");
    return value;
}
