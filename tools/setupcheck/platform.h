// What the checker needs from the platform, in _win and _posix halves:
// files of the setup folder found the way the installer finds them on
// Windows, 8-bit text in a Windows code page, and paths as the ZIP component
// takes them. Paths are wide text: Windows paths on Windows, UTF-8 paths
// held as wide text elsewhere.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace setupcheck {

// The setup folder as given on the command line, ending in a separator.
std::wstring FolderPath(const std::wstring& given);
// The path of an existing file (not a folder) that the installer names
// folder + relative ("lang\Language.ini", a line of SoftwareList.dat), or
// nothing. Elsewhere than on Windows the name is matched as Windows matches
// it: backslashes separate, letter case (of ASCII letters) is ignored, and
// trailing dots and blanks of a name do not count.
std::optional<std::wstring> FindFile(const std::wstring& folder, const std::wstring& relative);
std::filesystem::path FsPath(const std::wstring& path);
std::wstring WidePath(const std::filesystem::path& path);

// The ANSI code page of 8-bit files: the system's on Windows; elsewhere the
// one the shipper names (--code-page), 1252 by default.
unsigned DefaultCodePage();
// False when this platform cannot convert the code page.
bool CodePageKnown(unsigned codePage);
// 8-bit text in a code page; nothing when a byte sequence has no character there.
std::optional<std::wstring> DecodeStrictly(unsigned codePage, const std::string& bytes);
// The same, with U+FFFD for what does not decode (as a reader carries on).
std::wstring DecodeLeniently(unsigned codePage, const std::string& bytes);
// True when every character of text has its own bytes in the code page.
bool FitsCodePage(unsigned codePage, const std::wstring& text);

// A path as the ZIP component's 8-bit text, or nothing when it cannot be one.
std::optional<std::string> ComponentText(const std::wstring& path);
// The component's 8-bit text (an entry name) as wide text.
std::wstring FromComponentText(const std::string& text);

}  // namespace setupcheck
