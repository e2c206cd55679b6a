#include "unzip/entry.h"

#include <algorithm>

void TZipEntryInfo::SetName(const std::string& name) {
    size_t sep = name.find_last_of("\\:");
    if (sep == std::string::npos) {
        directory.clear();
        fileName = name;
    } else {
        directory = name.substr(0, sep + 1);
        fileName = name.substr(sep + 1);
    }
    // "x\.." and "." name folders, not files.
    if (fileName == "." || fileName == "..") {
        directory += fileName;
        fileName.clear();
    }
    if (!directory.empty() && directory.back() != '\\') directory += '\\';
    fileNameLength = static_cast<uint16_t>(std::min<size_t>(directory.size() + fileName.size(), 0xFFFF));
}

uint32_t SanitizeDosDateTime(uint32_t dosDateTime) {
    const uint32_t time = dosDateTime & 0xFFFF, date = dosDateTime >> 16;
    uint32_t hour = time >> 11, minute = (time >> 5) & 0x3F, second = 2 * (time & 0x1F);
    uint32_t year = 1980 + (date >> 9), month = (date >> 5) & 0x0F, day = date & 0x1F;
    bool clamped = false;
    auto clamp = [&clamped](uint32_t& value, uint32_t low, uint32_t high) {
        if (value < low) value = low, clamped = true;
        if (value > high) value = high, clamped = true;
    };
    clamp(hour, 0, 23);
    clamp(minute, 0, 59);
    clamp(second, 0, 59);
    clamp(year, 1980, 2099);
    clamp(month, 1, 12);
    clamp(day, 1, 31);
    if (!clamped) return dosDateTime;
    const uint32_t newTime = (hour << 11) | (minute << 5) | (second / 2);
    const uint32_t newDate = ((year - 1980) << 9) | (month << 5) | day;
    return (newDate << 16) | newTime;
}
