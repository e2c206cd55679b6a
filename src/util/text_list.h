// Text lists: files of lines (SoftwareList.dat, BatchName.dat, Index.dat,
// Index.txt). Read with byte-order-mark detection, written as UTF-16LE.
#pragma once

#include <string>
#include <vector>

// Decodes a text list's bytes: FF FE is UTF-16LE, FE FF UTF-16BE, EF BB BF
// UTF-8, anything else the ANSI code page. Lines end at CR LF, CR, LF or
// U+2028; a NUL ends the text; a final break gives no empty last line; lines
// are not trimmed. An odd trailing byte of UTF-16 text is ignored.
std::vector<std::wstring> DecodeTextList(const std::string& bytes);
// The file's bytes as UTF-16LE with the mark FF FE and CR LF after every line.
std::string EncodeTextList(const std::vector<std::wstring>& lines);

// Reads a text list from a file; raises EOSError when it cannot be read.
std::vector<std::wstring> ReadTextList(const std::wstring& path);
// Writes (replaces) a text list file, announced to the change recorder first;
// raises EOSError when it cannot be written.
void WriteTextList(const std::wstring& path, const std::vector<std::wstring>& lines);

// A whole file's bytes, and writing them, raising EOSError on failure.
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
