// Archives built field by field, for the cases no tool writes: stored or
// precompressed members with any name, method, flags, sizes, CRC and
// attributes, optionally encrypted. Used by the tests and the fuzz targets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One member of a crafted archive.
struct CraftedEntry {
    std::string name;           // stored as is ('/' separators)
    std::string data;           // the entry's bytes as stored (already compressed, if method 8)
    uint16_t method = 0;
    uint16_t flags = 0;
    uint32_t dosDateTime = (uint32_t{(44u << 9) | (3u << 5) | 5u} << 16) | (10u << 11) | (20u << 5) | 15u;  // 2024-03-05 10:20:30
    uint32_t externalAttributes = 0x20;
    uint32_t uncompressedSize = UINT32_MAX;  // default: data.size()
    uint32_t crc = UINT32_MAX;               // default: CRC of data (stored entries)
    std::string password;                    // encrypts data with the traditional cipher when set
    uint16_t versionMadeBy = 20;
};

// A stored entry encrypted with the installer's payload password, as Setup.dat's are.
CraftedEntry PayloadEntry(const std::string& name, const std::string& data);

// Builds a whole archive: local headers with their data, the central
// directory, the end record (with a comment when given).
std::string BuildArchive(const std::vector<CraftedEntry>& entries, const std::string& comment = "");
uint32_t TestCrc32(const std::string& data);
// Bytes that no method shrinks (xorshift), so that an entry's size is the room it takes.
std::string Incompressible(size_t size, uint32_t seed = 2463534242u);
