// Where the wizard proposes to install, and what the destination drive is.
#pragma once

#include <string>

// The Windows folder as the system reports it, ending in a backslash.
std::wstring WindowsFolder();
// The Windows drive's root followed by "Program Files\": a fixed name, as the
// product has always been installed there.
std::wstring ProgramFilesFolder();
// Whether the folder root (such as "C:\") exists and its file system is NTFS;
// false for anything that is not a folder (a UNC path's first characters).
bool IsNtfsVolume(const std::wstring& root);
