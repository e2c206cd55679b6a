// The orders in which callers see the directory. The directory itself stays
// in physical order; any other order is a view of the same records.
#include <algorithm>
#include <cctype>
#include <ctime>

#include "unzip/unzipper.h"

namespace {

int CompareIgnoringCase(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int x = std::tolower(static_cast<unsigned char>(a[i])), y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// A DOS date/time as a comparable value; one that is no real date counts as zero.
int64_t DateValue(uint32_t dos) {
    const int year = 1980 + int(dos >> 25), month = int((dos >> 21) & 0x0F), day = int((dos >> 16) & 0x1F);
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return 0;
    if (month == 2 && day == 29 && !((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 0;
    return int64_t(dos);  // fields are packed most significant first, so order is preserved
}

int Rate(const TZipEntryInfo& e) {
    if (e.uncompressedSize == 0) return 0;
    const uint64_t scaled = uint64_t(e.compressedSize) * 100, size = e.uncompressedSize;
    uint64_t rate = scaled / size;
    if ((scaled % size) * 2 >= size) ++rate;
    return int(std::min<uint64_t>(rate, 100));
}

}  // namespace

void TUnZipper::SetSortMode(TZipSortMode mode) {
    if (mode == sortMode_) return;
    sortMode_ = mode;
    BuildView();
}

// Sorted insertion puts an entry equal to earlier ones before them (names,
// rate) or after them (date, sizes); a stable sort of the physical order, or
// of its reverse, gives the same result.
void TUnZipper::BuildView() {
    view_.clear();
    if (sortMode_ == ByNone || !directory_) return;
    for (auto& entry : *directory_) view_.push_back(entry.get());

    auto stable = [this](bool equalGoesAfter, auto before) {
        if (!equalGoesAfter) std::reverse(view_.begin(), view_.end());
        std::stable_sort(view_.begin(), view_.end(), [&](const TZipEntryInfo* a, const TZipEntryInfo* b) { return before(*a, *b); });
    };
    using E = const TZipEntryInfo&;
    switch (sortMode_) {
    case ByName: stable(false, [](E a, E b) { return CompareIgnoringCase(a.Path(), b.Path()) < 0; }); break;
    case ByFileName: stable(false, [](E a, E b) { return CompareIgnoringCase(a.fileName, b.fileName) < 0; }); break;
    case ByDirectoryName: stable(false, [](E a, E b) { return CompareIgnoringCase(a.directory, b.directory) < 0; }); break;
    case ByDate: stable(true, [](E a, E b) { return DateValue(a.dateTime) > DateValue(b.dateTime); }); break;
    case ByCompressedSize: stable(true, [](E a, E b) { return a.compressedSize > b.compressedSize; }); break;
    case ByUnCompressedSize: stable(true, [](E a, E b) { return a.uncompressedSize > b.uncompressedSize; }); break;
    case ByRate: stable(false, [](E a, E b) { return Rate(a) > Rate(b); }); break;
    case ByNone: break;
    }
}
