// The component's file layer: the only platform-specific code of the ZIP
// component (os/win32.cpp on the wide Win32 API, os/posix.cpp on POSIX).
// Paths are 8-bit text: the ANSI code page on Windows, UTF-8 on POSIX, where
// '\' is taken as '/'.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace zipos {

class File {
public:
    File() = default;
    File(File&& other) noexcept : handle_(std::exchange(other.handle_, -1)), path_(std::move(other.path_)) {}
    File& operator=(File&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = std::exchange(other.handle_, -1);
            path_ = std::move(other.path_);
        }
        return *this;
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File() { Close(); }

    // Opens for reading, others may read but not write. Raises EFOpenError.
    static File OpenRead(const std::string& path);
    // Creates or truncates for writing. Raises EFCreateError.
    static File Create(const std::string& path);
    // Opens an existing file for writing, sharing allowed; not open on failure.
    static File TryOpenWrite(const std::string& path);

    bool IsOpen() const;
    // Bytes read (fewer at the end of the file); raises EStreamError on failure.
    size_t Read(void* buffer, size_t count);
    // Writes all bytes. A failure (a full disk, a medium gone) raises
    // EWriteError naming the file and the system's reason.
    void Write(const void* buffer, size_t count);
    // origin 0 beginning, 1 current, 2 end; the new position, or -1 on failure.
    int64_t Seek(int64_t offset, int origin);
    int64_t Size() const;
    void Flush();
    // Last modification time as a local DOS date (high word) and time.
    uint32_t DosDateTime() const;
    bool SetDosDateTime(uint32_t dosDateTime);
    // Finishes a file just written, in one call where the platform has one:
    // the modification time from a local DOS date/time (0 keeps it), then,
    // with setAttributes, the attributes as SetAttributes gives them.
    bool SetTimeAndAttributes(uint32_t dosDateTime, bool setAttributes, uint32_t attributes);
    void Close();
    // The path the file was opened by.
    const std::string& Path() const { return path_; }

private:
    intptr_t handle_ = -1;
    std::string path_;
};

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates the folder and every missing parent; true when it exists afterwards.
// Creating comes first, so a new folder below an existing one costs one call.
bool ForceDirectories(const std::string& path);
// The file's attributes in Windows form, or -1 when they cannot be read.
int64_t GetAttributes(const std::string& path);
// Applies a ZIP entry's external attributes (Windows bits; on POSIX a Unix
// mode in the high word, or the read-only bit).
bool SetAttributes(const std::string& path, uint32_t attributes);
bool RemoveFile(const std::string& path);
// Whether a file (not a folder) exists, with its modification time as a
// local DOS date/time: one query for both.
bool ExistingFile(const std::string& path, uint32_t& dosDateTime);
// A stored name in the platform's 8-bit text: from the archive's OEM code
// page (CP437 on POSIX), or from UTF-8 when the entry says so (flag bit 11).
std::string StoredNameToNative(const std::string& name, bool utf8);
std::string CurrentFolder();
// Drive queries for spanned archives on removable media ("A:\").
bool IsRemovableDrive(const std::string& root);
std::string VolumeLabel(const std::string& root);
// Lets pending window messages through: the program's pump on Windows,
// nothing on POSIX, unless another pump was installed.
void ProcessMessages();
// Installs a pump for ProcessMessages (an empty function restores the
// platform's) and returns the old one; tests see where messages may go through.
std::function<void()> SetMessagePump(std::function<void()> pump);
// The processors this process may run on (its affinity), at least 1.
unsigned UsableProcessors();

// The platform's dialogs for the component's few questions. The defaults
// are real dialogs on Windows; on POSIX they answer "cancel" and "no".
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // The "?" archive name: an open-file dialog; false when cancelled.
    virtual bool ChooseZipFile(const std::string& initialFolder, std::string& chosen);
    // The "?" destination: a folder dialog that may create folders.
    virtual bool ChooseFolder(const std::string& startFolder, std::string& chosen);
    // A message box with Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption);
    // A message box with OK and Cancel; true for OK.
    virtual bool AskOkCancel(const std::string& text, const std::string& caption);
    // A message box with OK.
    virtual void ShowMessage(const std::string& text, const std::string& caption);
};

}  // namespace zipos
