#include "install/uninstall_log.h"

#include "util/code_page.h"
#include "util/handles.h"
#include "util/text_list.h"
#include "util/win_error.h"

namespace {

const char kSection[] = "Zantivo";
const wchar_t kWideSection[] = L"Zantivo";
// How old the last flush may grow before an Add writes the log.
constexpr ULONGLONG kFlushIntervalMs = 250;

// The system's call sees a C string: it ends at the first NUL.
std::string AsCString(const std::string& text) { return text.substr(0, text.find('\0')); }

}  // namespace

bool TUninstallLog::TFileStamp::operator==(const TFileStamp& other) const {
    return exists == other.exists && size == other.size && CompareFileTime(&lastWrite, &other.lastWrite) == 0;
}

TUninstallLog::TUninstallLog(std::string path)
    : path_(std::move(path)), widePath_(AnsiToWide(path_)), lastFlush_(GetTickCount64()) {}

TUninstallLog::~TUninstallLog() {
    try {
        Flush();
    } catch (...) {
        // The log is optional: not even running out of memory may end the program here.
    }
}

void TUninstallLog::Add(int32_t number, const std::string& entryPath, int32_t fatDateTime) {
    const std::string key = std::to_string(number);
    pending_.push_back({key, AsCString(entryPath)});
    pending_.push_back({"D" + key, std::to_string(fatDateTime)});
    FlushIfDue();
}

void TUninstallLog::FlushIfDue() {
    if (!pending_.empty() && GetTickCount64() - lastFlush_ >= kFlushIntervalMs) Flush();
}

void TUninstallLog::Flush() {
    lastFlush_ = GetTickCount64();
    if (!systemWrites_ && !pending_.empty()) FlushThroughProfile();
    if (systemWrites_) FlushThroughSystem();
}

// Sets the pending keys in the profile and writes the change, up to the
// first value the system's call would reshape; that one and the rest are left
// to the system. When the file cannot be read or written nothing counts as
// done, and the next flush starts again from the file.
void TUninstallLog::FlushThroughProfile() {
    if (!LoadProfile()) return;
    size_t done = 0;
    for (; done < pending_.size(); ++done) {
        const std::wstring value = AnsiToWide(pending_[done].value);
        if (!TPlainProfile::IsPlainValue(value)) break;
        profile_->Set(kWideSection, AnsiToWide(pending_[done].key), value);
    }
    if (!WriteChange()) {
        profile_.reset();
        return;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(done));
    if (!pending_.empty()) systemWrites_ = true;
}

// One call per key, as the log was always written; a key the system refuses is lost.
void TUninstallLog::FlushThroughSystem() {
    for (const TKeyValue& key : pending_)
        WritePrivateProfileStringA(kSection, key.key.c_str(), key.value.c_str(), path_.c_str());
    pending_.clear();
}

// The profile of the file as it is now: the one in memory while nobody else
// has written the file, else read afresh. False when the file cannot be read
// or (with systemWrites_ set) is not in the plain form.
bool TUninstallLog::LoadProfile() {
    const TFileStamp now = Stamp();
    if (profile_ && now == writtenStamp_) return true;
    profile_.reset();
    std::string bytes;
    if (now.exists) {
        try {
            bytes = ReadFileBytes(widePath_);
        } catch (const EOSError&) {
            return false;
        }
    }
    profile_ = TPlainProfile::Parse(bytes);
    if (!profile_) systemWrites_ = true;
    writtenStamp_ = now;
    return profile_.has_value();
}

bool TUninstallLog::WriteChange() {
    const std::optional<TPlainProfile::TChange> change = profile_->TakeChange();
    if (!change) return true;
    {
        UniqueHFile file(CreateFileW(widePath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        LARGE_INTEGER offset;
        offset.QuadPart = static_cast<LONGLONG>(change->offset);
        DWORD done = 0;
        const DWORD size = static_cast<DWORD>(change->bytes.size());
        if (!SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN) ||
            !WriteFile(file.get(), change->bytes.data(), size, &done, nullptr) || done != size ||
            !SetEndOfFile(file.get()))
            return false;
    }
    // Taken after closing: some file systems record the write time only then.
    writtenStamp_ = Stamp();
    return true;
}

TUninstallLog::TFileStamp TUninstallLog::Stamp() const {
    TFileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(widePath_.c_str(), GetFileExInfoStandard, &data)) return stamp;
    stamp.exists = true;
    stamp.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    stamp.lastWrite = data.ftLastWriteTime;
    return stamp;
}

int32_t LogFileDateTime(const std::string& path) {
    // Attributes rather than a find: a name with "?" or "*" must not match another file.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(AnsiToWide(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    FILETIME local;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time))
        return -1;
    return static_cast<int32_t>((uint32_t{date} << 16) | time);
}
