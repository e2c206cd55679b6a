// Room for the payload on the destination's drive, looked at before anything
// is extracted: a full disk found then costs the user nothing, where one
// found half way leaves a partial installation behind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class TMultiLanguage;
class TUnZipper;

// What the payload takes on the destination's drive, and what the drive has free.
struct TDriveRoom {
    std::wstring root;    // the drive's root ("C:\", or a share's)
    uint64_t needed = 0;  // as MeasureRoom counts it
    uint64_t free = 0;    // free to this user, quotas counted
    bool Enough() const { return needed <= free; }
};

// The room that the payload's files and the uninstall log listing them take
// below folder (an existing folder ending in a backslash), each file rounded
// up to the drive's allocation unit (the files the payload replaces stay
// until the installation completes, so they make no room). Reads the payload's directory,
// raising what the component raises for a damaged one. Nothing when the
// drive cannot say how much it has free (the extraction then finds out).
std::optional<TDriveRoom> MeasureRoom(TUnZipper& payload, const std::wstring& folder);

// The shortfall as the box says it: message 00000_00025 with the drive, a
// blank line, 00000_00026 with the room needed and 00000_00027 with the room
// free, each a line; built-in English texts stand in for missing ones.
std::wstring ShortfallText(const TMultiLanguage& catalogue, const TDriveRoom& room);

// A size for people: KB, MB, GB or TB (of 1024), with one decimal in the
// user's decimal separator, rounded up or down as asked, so that a needed
// size never shows as less than it is, nor a free one as more, and the two
// figures of a shortfall never look alike.
std::wstring SizeText(uint64_t bytes, bool roundUp);
