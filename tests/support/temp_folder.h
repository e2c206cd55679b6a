// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the test ends.
#pragma once

#include <functional>
#include <string>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, ending in a backslash.
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + name; }

private:
    std::wstring path_;
};

// Holds a file open without sharing, so that the system refuses every other
// open of it: the refusal a test can count on even when it runs as an
// administrator, for whom a read-only attribute is no obstacle under Wine.
class LockedFile {
public:
    explicit LockedFile(const std::wstring& path);
    ~LockedFile();
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

private:
    void* handle_;
};

// Writes bytes to a file (raw), creating or replacing it; fails the test on error.
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
// The same for a file another handle is still writing (a log), as a log viewer reads it.
std::string ReadBytesWhileWritten(const std::wstring& path);
// A file of UTF-16LE text with the byte-order mark, for INI files of any script.
void WriteUtf16File(const std::wstring& path, const std::wstring& text);
// Creates a folder and its missing parents.
void MakeFolders(const std::wstring& path);
// Calls visit for every folder and file below root (ending in a backslash),
// with its path relative to root; a folder comes before what it holds.
void ForEachBelow(const std::wstring& root, const std::function<void(const std::wstring& relative, bool isFolder)>& visit);
// Removes a folder tree (clearing read-only bits first).
void RemoveTree(const std::wstring& path);
// A path from the environment, Unix form ("/x/y") mapped to Wine's Z: drive.
std::wstring EnvironmentPath(const wchar_t* name);
