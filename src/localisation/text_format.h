// Formatting a language file's text with one text argument, as the message
// texts are: "%s" inserts the argument (with optional "0:" index, "-" flag,
// width and precision), "%%" is a percent sign, and anything else after a
// "%" (a number's placeholder, a second argument) is a format error. The
// text is never handed to printf: a bad text cannot crash or read memory.
#pragma once

#include <string>

#include "util/error.h"

// The conversion error of texts: bad formats and numbers that are not numbers.
class EConvertError : public EError {
public:
    using EError::EError;
};

// Raises EConvertError "Format '<format>' invalid or incompatible with argument".
std::wstring FormatText(const std::wstring& format, const std::wstring& argument);
// A decimal (or "$"/"0x" hexadecimal) integer; raises EConvertError
// "'<text>' is not a valid integer value" for anything else.
int TextToInteger(const std::wstring& text);
