// The uninstall log, D + "Uninstall.log": the product's uninstaller finds in
// section "Zantivo" every file the installation extracted, key N holding the
// entry's stored path and key "D"N its file time. The file holds exactly the
// bytes that the system's 8-bit private-profile write call gives when the
// keys are written one at a time, in the ANSI code page, over whatever log an
// earlier installation left. Those calls rewrite the whole file at each key,
// which makes a large installation quadratic; this writer keeps the file in
// memory and writes what changed, at most a fraction of a second after it
// changed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "install/plain_profile.h"

class TUninstallLog {
public:
    explicit TUninstallLog(std::string path);  // 8-bit (ANSI) full path
    ~TUninstallLog();                          // flushes
    TUninstallLog(const TUninstallLog&) = delete;
    TUninstallLog& operator=(const TUninstallLog&) = delete;

    // Keys N and "D"N of section "Zantivo": the entry's stored path and its
    // file time. Flushes when the last flush is a quarter of a second old, so
    // a process killed from outside loses at most that much of the log.
    void Add(int32_t number, const std::string& entryPath, int32_t fatDateTime);
    // Flushes when keys wait and the last flush is a quarter of a second old;
    // for the moments between entries (a long file being written).
    void FlushIfDue();
    // Everything added so far on disk (failures are ignored: the log is
    // optional, and what could not be written is tried again next time).
    void Flush();

private:
    struct TKeyValue {
        std::string key;
        std::string value;
    };
    // Size and last-write time: how the log knows that nobody else wrote the file.
    struct TFileStamp {
        bool exists = false;
        uint64_t size = 0;
        FILETIME lastWrite{};
        bool operator==(const TFileStamp& other) const;
    };

    void FlushThroughProfile();
    void FlushThroughSystem();
    bool LoadProfile();
    bool WriteChange();
    TFileStamp Stamp() const;

    std::string path_;
    std::wstring widePath_;
    std::vector<TKeyValue> pending_;  // keys not yet on disk, in order
    ULONGLONG lastFlush_;
    std::optional<TPlainProfile> profile_;  // the file as this log last wrote it
    TFileStamp writtenStamp_;               // the file's stamp after that write
    // The file is in a shape this writer does not reproduce (or a value is):
    // from then on every key goes through the system's call.
    bool systemWrites_ = false;
};

// The file's last-write time as a signed FAT date/time in local time; -1 when
// no such file (or a folder).
int32_t LogFileDateTime(const std::string& path);
