#include "unzip/crafted_archive.h"

#include "unzip/crc32.h"
#include "unzip/crypt.h"

uint32_t TestCrc32(const std::string& data) { return Crc32(0, data.data(), data.size()); }

std::string Incompressible(size_t size, uint32_t seed) {
    std::string data(size, '\0');
    for (char& c : data) {
        seed ^= seed << 13, seed ^= seed >> 17, seed ^= seed << 5;
        c = static_cast<char>(seed);
    }
    return data;
}

namespace {

void Put16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// The traditional cipher run forwards, for test archives only.
std::string Encrypt(const std::string& plain, const std::string& password, uint8_t checkByte) {
    TZipKeys keys(password);
    std::string header(12, '\0');
    for (int i = 0; i < 11; ++i) header[i] = static_cast<char>(i * 37 + 11);
    header[11] = static_cast<char>(checkByte);
    std::string out;
    for (unsigned char c : header + plain) {
        out += static_cast<char>(c ^ keys.StreamByte());
        keys.Update(c);
    }
    return out;
}

}  // namespace

CraftedEntry PayloadEntry(const std::string& name, const std::string& data) {
    CraftedEntry entry;
    entry.name = name;
    entry.data = data;
    entry.password = "417263";
    return entry;
}

std::string BuildArchive(const std::vector<CraftedEntry>& entries, const std::string& comment) {
    std::string archive, central;
    for (const CraftedEntry& e : entries) {
        const uint32_t crc = e.crc != UINT32_MAX ? e.crc : TestCrc32(e.data);
        const uint32_t size = e.uncompressedSize != UINT32_MAX ? e.uncompressedSize : static_cast<uint32_t>(e.data.size());
        uint16_t flags = e.flags;
        std::string stored = e.data;
        if (!e.password.empty()) {
            flags |= 1;
            const uint8_t check = (flags & 8) ? static_cast<uint8_t>(e.dosDateTime >> 8) : static_cast<uint8_t>(crc >> 24);
            stored = Encrypt(e.data, e.password, check);
        }
        const uint32_t offset = static_cast<uint32_t>(archive.size());
        Put32(archive, 0x04034B50);                  // local header signature
        Put16(archive, 20);                          // version needed
        Put16(archive, flags);                       // flags
        Put16(archive, e.method);                    // method
        Put32(archive, e.dosDateTime);               // time, date
        Put32(archive, crc);                         // CRC-32
        Put32(archive, static_cast<uint32_t>(stored.size()));  // compressed size
        Put32(archive, size);                        // uncompressed size
        Put16(archive, static_cast<uint32_t>(e.name.size()));  // name length
        Put16(archive, 0);                           // extra length
        archive += e.name;
        archive += stored;

        Put32(central, 0x02014B50);                  // central record signature
        Put16(central, e.versionMadeBy);             // version made by
        Put16(central, 20);                          // version needed
        Put16(central, flags);
        Put16(central, e.method);
        Put32(central, e.dosDateTime);
        Put32(central, crc);
        Put32(central, static_cast<uint32_t>(stored.size()));
        Put32(central, size);
        Put16(central, static_cast<uint32_t>(e.name.size()));
        Put16(central, 0);                           // extra length
        Put16(central, 0);                           // comment length
        Put16(central, 0);                           // disk number start
        Put16(central, 0);                           // internal attributes
        Put32(central, e.externalAttributes);
        Put32(central, offset);                      // local header offset
        central += e.name;
    }
    const uint32_t centralOffset = static_cast<uint32_t>(archive.size());
    archive += central;
    Put32(archive, 0x06054B50);                      // end record signature
    Put16(archive, 0);                               // this disk
    Put16(archive, 0);                               // disk of the central directory
    Put16(archive, static_cast<uint32_t>(entries.size()));  // entries on this disk
    Put16(archive, static_cast<uint32_t>(entries.size()));  // total entries
    Put32(archive, static_cast<uint32_t>(central.size()));  // central directory size
    Put32(archive, centralOffset);                   // central directory offset
    Put16(archive, static_cast<uint32_t>(comment.size()));  // comment length
    archive += comment;
    return archive;
}
