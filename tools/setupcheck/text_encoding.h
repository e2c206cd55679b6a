// How the bytes of a setup folder's text files become text: the byte-order
// marks, UTF-16 in either byte order, and 8-bit text in a code page.
#pragma once

#include <string>

namespace setupcheck {

enum class TByteOrderMark { None, Utf16Le, Utf16Be, Utf8 };

TByteOrderMark MarkOf(const std::string& bytes);
size_t MarkLength(TByteOrderMark mark);

// UTF-16 bytes from an offset as wide text; an odd last byte is dropped and
// a surrogate without its partner becomes U+FFFD, clearing *valid.
std::wstring DecodeUtf16(const std::string& bytes, size_t from, bool bigEndian, bool* valid = nullptr);
// An INI file as the private-profile functions read it: UTF-16LE after the
// mark FF FE, anything else 8-bit text in the code page (another mark too).
std::wstring DecodeIniText(const std::string& bytes, unsigned codePage);
// A text list: UTF-16LE, UTF-16BE or UTF-8 after their marks, else 8-bit text.
std::wstring DecodeListText(const std::string& bytes, unsigned codePage);
// True when bytes hold bytes above 127 and all of them form UTF-8 sequences.
bool LooksLikeUtf8(const std::string& bytes);

}  // namespace setupcheck
