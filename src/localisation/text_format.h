// Formatting a language file's text with one text argument, as the message
// texts are: "%s" inserts the argument (with optional "0:" index, "-" flag,
// width and precision), "%%" is a percent sign, and anything else after a
// "%" (a number's placeholder, a second argument) is a format error. The
// text is never handed to printf: a bad text cannot crash or read memory.
// Portable: the shipping checker checks language files with ParseFormat.
#pragma once

#include <string>
#include <vector>

#include "util/error.h"

// The conversion error of texts: bad formats and numbers that are not numbers.
class EConvertError : public EError {
public:
    using EError::EError;
};

// One piece of a format text: literal text ("%%" already made "%"), or a
// placeholder of the one text argument with its options.
struct TFormatPart {
    std::wstring literal;
    bool placeholder = false;
    bool leftAlign = false;
    size_t width = 0;
    size_t precision = std::wstring::npos;  // npos: the whole argument
};

// The pieces of a format text; raises EConvertError
// "Format '<format>' invalid or incompatible with argument".
std::vector<TFormatPart> ParseFormat(const std::wstring& format);
// The format's pieces joined, each placeholder giving the argument; raises as ParseFormat.
std::wstring FormatText(const std::wstring& format, const std::wstring& argument);
// A decimal (or "$"/"0x" hexadecimal) integer; raises EConvertError
// "'<text>' is not a valid integer value" for anything else.
int TextToInteger(const std::wstring& text);
