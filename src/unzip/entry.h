// The records of an archive's directory: one TZipEntryInfo per member, and
// the end-of-central-directory record. Layouts are those of the PKWARE ZIP
// application note (no Zip64); names are 8-bit text with '\' separators.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct TZipEntryInfo {
    uint16_t versionMadeBy = 20;
    uint16_t versionNeeded = 20;
    uint16_t flags = 0;             // bit 0 encrypted, bit 3 data descriptor, bits 1-2 implode options
    uint16_t method = 8;
    uint32_t dateTime = 0;          // DOS time low word, date high word; always sanitized
    uint32_t crc32 = 0xFFFFFFFF;
    uint32_t compressedSize = 0;    // includes the 12-byte encryption header
    uint32_t uncompressedSize = 0;
    uint16_t fileNameLength = 0;    // of directory plus file name
    uint16_t extraLength = 0;       // central
    uint16_t localExtraLength = 0;  // only from a local header
    uint16_t commentLength = 0;
    uint16_t diskNumberStart = 0;
    uint16_t internalAttributes = 1;
    uint32_t externalAttributes = 32;
    uint32_t localHeaderOffset = 0;
    uint32_t centralRecordOffset = 0;
    std::string fileName;           // after the last '\' or ':'
    std::string directory;          // empty or ending in '\'
    std::optional<std::string> comment;  // loaded on demand
    bool selected = false;          // by the extraction's selection pass

    bool Encrypted() const { return flags & 1; }
    bool IsDirectory() const { return fileName.empty(); }
    std::string Path() const { return directory + fileName; }
    // Splits a converted name ('\' separators) into directory and file name.
    void SetName(const std::string& name);
};

struct TEndRecord {
    static constexpr uint32_t kSignature = 0x06054B50;
    uint32_t signature = kSignature;
    uint16_t thisDisk = 0;
    uint16_t centralDisk = 0;
    uint16_t entriesOnDisk = 0;
    uint16_t totalEntries = 0;
    uint32_t centralSize = 0;
    uint32_t centralOffset = 0;
    uint16_t commentLength = 0;
    std::optional<std::string> comment;
    uint32_t commentPosition = 0;
    bool commentChanged = false;

    void Reset() { *this = TEndRecord(); }
};

inline constexpr uint32_t kCentralSignature = 0x02014B50;
inline constexpr uint32_t kLocalSignature = 0x04034B50;
inline constexpr size_t kCentralRecordSize = 46;
inline constexpr size_t kLocalHeaderSize = 30;
inline constexpr size_t kEndRecordSize = 22;

// Clamps each part of a DOS date/time into range (hour 23, minute and
// second 59, year 1980-2099, month 1-12, day 1-31); unchanged when nothing
// needed clamping, else encoded again from the clamped parts.
uint32_t SanitizeDosDateTime(uint32_t dosDateTime);

inline uint16_t Get16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
