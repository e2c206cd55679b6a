// The installation's look before it leaps: before the payload is extracted,
// the room it takes is compared with the free room of the destination's
// drive, and when the drive is short a box on the installing page says how
// much is needed and how much is free. Retry looks again (the user may have
// made room meanwhile); Cancel ends the installation as a failed step does,
// with an error that holds both figures.
#include "install/free_space.h"

#include <windows.h>

#include <iterator>

#include "localisation/message_texts.h"
#include "localisation/multi_language.h"
#include "localisation/text_format.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "unzip/unzipper.h"
#include "util/code_page.h"
#include "wizard/U1.h"

namespace {

// Texts the language files of older setup folders lack.
constexpr wchar_t kBuiltInShortfall[] = L"There is not enough free space on drive %s to install the program.";
constexpr wchar_t kBuiltInNeeded[] = L"Space required: %s";
constexpr wchar_t kBuiltInFree[] = L"Space available: %s";

// The uninstall log's lines for one file besides its path: "N=", "DN=" and
// the time, with their line breaks.
constexpr uint64_t kLogBytesPerFile = 32;
// The allocation unit of NTFS volumes, for a drive that does not say its own.
constexpr uint64_t kUsualAllocationUnit = 4096;

uint64_t RoundUp(uint64_t bytes, uint64_t unit) { return (bytes + unit - 1) / unit * unit; }

std::wstring VolumeRoot(const std::wstring& folder) {
    wchar_t root[MAX_PATH + 1] = {};
    if (GetVolumePathNameW(folder.c_str(), root, MAX_PATH + 1)) return root;
    return folder.substr(0, 3);
}

uint64_t AllocationUnit(const std::wstring& root) {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters) &&
        sectorsPerCluster > 0 && bytesPerSector > 0)
        return uint64_t{sectorsPerCluster} * bytesPerSector;
    return kUsualAllocationUnit;
}

std::wstring DecimalSeparator() {
    wchar_t separator[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, static_cast<int>(std::size(separator))) > 1)
        return separator;
    return L".";
}

}  // namespace

std::optional<TDriveRoom> MeasureRoom(TUnZipper& payload, const std::wstring& folder) {
    payload.ReadDirectory();
    ULARGE_INTEGER freeToCaller;
    if (!GetDiskFreeSpaceExW(folder.c_str(), &freeToCaller, nullptr, nullptr)) return std::nullopt;
    TDriveRoom room;
    room.root = VolumeRoot(folder);
    room.free = freeToCaller.QuadPart;
    const uint64_t unit = AllocationUnit(room.root);
    uint64_t logBytes = 0;
    for (int32_t i = 0; i < payload.Count(); ++i) {
        const TZipEntryInfo& entry = payload.Entry(i);
        if (entry.IsDirectory()) continue;
        room.needed += RoundUp(entry.uncompressedSize, unit);
        logBytes += entry.Path().size() + kLogBytesPerFile;
    }
    // The files the payload replaces make no room: each is moved aside, not
    // truncated, and stays until the installation completes, so that undoing
    // it can put it back.
    room.needed += RoundUp(logBytes, unit);
    return room;
}

std::wstring ShortfallText(const TMultiLanguage& catalogue, const TDriveRoom& room) {
    auto line = [&](const wchar_t* id, const wchar_t* builtIn, const std::wstring& argument) {
        return FormatText(MessageOrBuiltIn(catalogue, id, builtIn), argument);
    };
    return line(L"00000_00025", kBuiltInShortfall, room.root) + L"\r\n\r\n" +
           line(L"00000_00026", kBuiltInNeeded, SizeText(room.needed, true)) + L"\r\n" +
           line(L"00000_00027", kBuiltInFree, SizeText(room.free, false));
}

std::wstring SizeText(uint64_t bytes, bool roundUp) {
    static constexpr const wchar_t* kUnits[] = {L"KB", L"MB", L"GB", L"TB"};
    uint64_t unit = 1024;
    size_t index = 0;
    while (index + 1 < std::size(kUnits) && bytes / unit >= 1024) {
        unit *= 1024;
        ++index;
    }
    uint64_t whole = bytes / unit;
    const uint64_t rest = bytes % unit;  // below 2^40, so ten times it cannot overflow
    uint64_t tenths = rest * 10 / unit;
    if (roundUp && rest * 10 % unit != 0 && ++tenths == 10) {
        ++whole;
        tenths = 0;
    }
    if (whole == 1024 && index + 1 < std::size(kUnits)) {  // rounded up into the next unit
        whole = 1;
        ++index;
    }
    return std::to_wstring(whole) + DecimalSeparator() + std::to_wstring(tenths) + L" " + kUnits[index];
}

void TForm1::EnsureRoomForPayload() {
    UnZipper1.SetZipName(WideToAnsi(setupFolder_ + L"Setup.dat"));
    for (;;) {
        const std::optional<TDriveRoom> room = MeasureRoom(UnZipper1, DestinationFolder());
        if (!room || room->Enough()) return;
        const std::wstring text = ShortfallText(catalogue_, *room);
        if (Dialogs().ShowMessageBox(text, Application().Title(), MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY)
            throw EError(text);
    }
}
