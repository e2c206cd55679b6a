// The component's file layer on POSIX: 8-bit paths are UTF-8, and '\' (the
// separator of the component's paths) is '/'.
#include "unzip/os/file.h"

#include <errno.h>
#include <fcntl.h>
#include <sched.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <utility>

#include "unzip/errors.h"

namespace zipos {
namespace {

std::string P(const std::string& path) {
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

int Fd(intptr_t h) { return static_cast<int>(h); }

uint32_t ToDos(time_t t) {
    struct tm local;
    if (!localtime_r(&t, &local) || local.tm_year < 80) return (1u << 21) | (1u << 16);  // 1980-01-01
    return (uint32_t(local.tm_year - 80) << 25) | (uint32_t(local.tm_mon + 1) << 21) | (uint32_t(local.tm_mday) << 16) |
           (uint32_t(local.tm_hour) << 11) | (uint32_t(local.tm_min) << 5) | uint32_t(local.tm_sec / 2);
}

bool FromDos(uint32_t dos, time_t& t) {
    struct tm local{};
    local.tm_year = int((dos >> 25) & 0x7F) + 80;
    local.tm_mon = int((dos >> 21) & 0x0F) - 1;
    local.tm_mday = int((dos >> 16) & 0x1F);
    local.tm_hour = int((dos >> 11) & 0x1F);
    local.tm_min = int((dos >> 5) & 0x3F);
    local.tm_sec = int(dos & 0x1F) * 2;
    local.tm_isdst = -1;
    t = mktime(&local);
    return t != time_t(-1);
}

// The mode that gives a file the attributes of an entry: a Unix mode stored
// in the high word (without set-id or sticky bits), else the current one,
// writable unless the read-only bit is set.
mode_t ModeFor(mode_t current, uint32_t attributes) {
    mode_t mode = current & 0777;
    if (attributes >> 16) mode = (attributes >> 16) & 0777;
    else mode |= S_IWUSR;
    if (attributes & 0x01) mode &= ~mode_t(0222);
    return mode;
}

// The upper half of code page 437, as Unicode.
constexpr char16_t kCp437[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

}  // namespace

File File::OpenRead(const std::string& path) {
    int fd = open(P(path).c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
        fd = -1;
        errno = EISDIR;
    }
    if (fd < 0) throw EFOpenError("Cannot open file \"" + path + "\". " + strerror(errno));
    File f;
    f.handle_ = fd;
    f.path_ = path;
    return f;
}

File File::Create(const std::string& path) {
    // Like Windows, an existing read-only file cannot be replaced (root included).
    struct stat st;
    int fd = -1;
    if (stat(P(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && !(st.st_mode & S_IWUSR))
        errno = EACCES;
    else
        fd = open(P(path).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) throw EFCreateError("Cannot create file \"" + path + "\". " + strerror(errno));
    File f;
    f.handle_ = fd;
    f.path_ = path;
    return f;
}

File File::TryOpenWrite(const std::string& path) {
    File f;
    // Like Windows, a read-only file cannot be opened for writing (root included).
    struct stat st;
    if (stat(P(path).c_str(), &st) != 0 || !(st.st_mode & S_IWUSR)) return f;
    int fd = open(P(path).c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) f.handle_ = fd, f.path_ = path;
    return f;
}

bool File::IsOpen() const { return handle_ != -1; }

size_t File::Read(void* buffer, size_t count) {
    size_t total = 0;
    auto* p = static_cast<char*>(buffer);
    while (total < count) {
        ssize_t got = read(Fd(handle_), p + total, count - total);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw EStreamError("Stream read error");
        if (got == 0) break;
        total += size_t(got);
    }
    return total;
}

void File::Write(const void* buffer, size_t count) {
    const auto* p = static_cast<const char*>(buffer);
    while (count > 0) {
        ssize_t done = write(Fd(handle_), p, count);
        if (done < 0 && errno == EINTR) continue;
        // A write that takes nothing has no errno of its own; the device gave out.
        if (done <= 0) throw EWriteError(path_, strerror(done < 0 ? errno : EIO));
        p += done;
        count -= size_t(done);
    }
}

int64_t File::Seek(int64_t offset, int origin) {
    static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (origin < 0 || origin > 2) return -1;
    off_t r = lseek(Fd(handle_), off_t(offset), kWhence[origin]);
    return r < 0 ? -1 : int64_t(r);
}

int64_t File::Size() const {
    struct stat st;
    return fstat(Fd(handle_), &st) == 0 ? int64_t(st.st_size) : -1;
}

void File::Flush() { fsync(Fd(handle_)); }

uint32_t File::DosDateTime() const {
    struct stat st;
    return fstat(Fd(handle_), &st) == 0 ? ToDos(st.st_mtime) : 0;
}

bool File::SetDosDateTime(uint32_t dosDateTime) {
    time_t t;
    if (!FromDos(dosDateTime, t)) return false;
    struct timespec times[2] = {{0, UTIME_OMIT}, {t, 0}};
    return futimens(Fd(handle_), times) == 0;
}

bool File::SetTimeAndAttributes(uint32_t dosDateTime, bool setAttributes, uint32_t attributes) {
    if (dosDateTime != 0 && !SetDosDateTime(dosDateTime)) return false;
    if (!setAttributes) return true;
    struct stat st;
    return fstat(Fd(handle_), &st) == 0 && fchmod(Fd(handle_), ModeFor(st.st_mode, attributes)) == 0;
}

void File::Close() {
    if (handle_ != -1) close(Fd(std::exchange(handle_, -1)));
}

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(P(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st;
    return stat(P(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& path) {
    std::string p = P(path);
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    if (p.empty()) return false;
    if (mkdir(p.c_str(), 0777) == 0) return true;
    if (errno == ENOENT) {
        size_t sep = p.find_last_of('/');
        if (sep != std::string::npos && sep > 0 && ForceDirectories(p.substr(0, sep)) && mkdir(p.c_str(), 0777) == 0)
            return true;
    }
    return DirectoryExists(p);  // already there, made meanwhile, or a file in the way
}

int64_t GetAttributes(const std::string& path) {
    struct stat st;
    if (stat(P(path).c_str(), &st) != 0) return -1;
    int64_t a = S_ISDIR(st.st_mode) ? 0x10 : 0x20;
    if (!(st.st_mode & S_IWUSR)) a |= 0x01;
    return a;
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
    struct stat st;
    return stat(P(path).c_str(), &st) == 0 && chmod(P(path).c_str(), ModeFor(st.st_mode, attributes)) == 0;
}

bool RemoveFile(const std::string& path) { return unlink(P(path).c_str()) == 0; }

bool ExistingFile(const std::string& path, uint32_t& dosDateTime) {
    struct stat st;
    if (stat(P(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    dosDateTime = ToDos(st.st_mtime);
    return true;
}

std::string StoredNameToNative(const std::string& name, bool utf8) {
    if (utf8) return name;
    std::string out;
    out.reserve(name.size());
    for (unsigned char c : name) {
        char32_t u = c < 0x80 ? c : kCp437[c - 0x80];
        if (u < 0x80) {
            out += char(u);
        } else if (u < 0x800) {
            out += char(0xC0 | (u >> 6));
            out += char(0x80 | (u & 0x3F));
        } else {
            out += char(0xE0 | (u >> 12));
            out += char(0x80 | ((u >> 6) & 0x3F));
            out += char(0x80 | (u & 0x3F));
        }
    }
    return out;
}

std::string CurrentFolder() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

bool IsRemovableDrive(const std::string&) { return false; }
std::string VolumeLabel(const std::string&) { return {}; }
namespace {
std::function<void()>& Pump() {
    static std::function<void()> pump;
    return pump;
}
}  // namespace

void ProcessMessages() {
    if (Pump()) Pump()();
}

std::function<void()> SetMessagePump(std::function<void()> pump) { return std::exchange(Pump(), std::move(pump)); }

unsigned UsableProcessors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
    const int count = CPU_COUNT(&set);
    return count > 0 ? static_cast<unsigned>(count) : 1;
}

bool Dialogs::ChooseZipFile(const std::string&, std::string&) { return false; }
bool Dialogs::ChooseFolder(const std::string&, std::string&) { return false; }
bool Dialogs::AskYesNo(const std::string&, const std::string&) { return false; }
bool Dialogs::AskOkCancel(const std::string&, const std::string&) { return false; }
void Dialogs::ShowMessage(const std::string& text, const std::string& caption) {
    fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace zipos
