// The uninstall log of a 3,000-entry extraction written two ways into a
// temporary folder, rounds interleaved, medians printed:
//   uninstall_log_bench [ENTRIES]          (rounds: BENCH_ROUNDS, default 3)
// "key by key" is one WritePrivateProfileStringA per key, as the log was
// first written, and takes seconds a round: three rounds show the ratio
// well. "TUninstallLog" is the installer's writer, flushed once at the end
// (as when entries come faster than its flush interval), and flushed after
// every entry, its worst case: a new log still only grows at its end, but
// replacing an earlier log's keys rewrites the file from the first replaced
// key on at every flush, which is why it flushes at most four times a second. Each case runs over no earlier log and
// over an earlier installation's log of the same size, whose every key is
// replaced. The bytes of both ways are compared in every round.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "install/uninstall_log.h"
#include "util/code_page.h"
#include "util/error.h"
#include "util/text_list.h"

namespace {

struct TEntry {
    int32_t number;
    std::string path;
    int32_t time;
};

// Stored paths shaped like a product's: a few folders deep, 20 to 50 characters.
std::vector<TEntry> Extraction(int count, unsigned seed) {
    const char* folders[] = {"", "bin\\", "lang\\", "help\\images\\", "plugins\\barcode\\", "samples\\scans\\2023\\"};
    const char* extensions[] = {".dll", ".ini", ".xml", ".ico", ".jpg", ".txt", ".pdf"};
    std::vector<TEntry> entries;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        std::string path = std::string(folders[(seed >> 8) % 6]) + "document_" + std::to_string(i) + "_" +
                           std::to_string(seed % 100000) + extensions[(seed >> 16) % 7];
        entries.push_back({i, path, static_cast<int32_t>(0x57000000u + (seed & 0xFFFFFF))});
    }
    return entries;
}

void KeyByKey(const std::string& path, const std::vector<TEntry>& entries) {
    for (const TEntry& e : entries) {
        const std::string key = std::to_string(e.number);
        WritePrivateProfileStringA("Zantivo", key.c_str(), e.path.c_str(), path.c_str());
        WritePrivateProfileStringA("Zantivo", ("D" + key).c_str(), std::to_string(e.time).c_str(), path.c_str());
    }
}

void WithLog(const std::string& path, const std::vector<TEntry>& entries, bool flushEachEntry) {
    TUninstallLog log(path);
    for (const TEntry& e : entries) {
        log.Add(e.number, e.path, e.time);
        if (flushEachEntry) log.Flush();
    }
}

std::string FileBytes(const std::string& path) {
    try {
        return ReadFileBytes(AnsiToWide(path));
    } catch (const EError&) {
        return {};
    }
}

double Seconds(const std::function<void()>& work) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 3000;
    const char* roundsText = std::getenv("BENCH_ROUNDS");
    const int rounds = roundsText && std::atoi(roundsText) > 0 ? std::atoi(roundsText) : 3;

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "uninstall-log-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string byKeys = folder + "byKeys.log", byLog = folder + "byLog.log";
    const std::string eachEntry = folder + "eachEntry.log";

    const std::vector<TEntry> entries = Extraction(count, 417263);
    // An earlier installation's log of as many entries, other names and times.
    const std::string earlier = [&] {
        WithLog(byLog, Extraction(count, 7), false);
        std::string bytes = FileBytes(byLog);
        DeleteFileA(byLog.c_str());
        return bytes;
    }();

    struct TCase {
        const char* name;
        const std::string* existing;
        std::vector<double> keyByKey, log, logEachEntry;
    } cases[] = {{"new log", nullptr, {}, {}, {}}, {"over an earlier log", &earlier, {}, {}, {}}};

    std::printf("uninstall log of a %d-entry extraction (%d keys), %d rounds interleaved, medians\n", count, 2 * count,
                rounds);
    std::fflush(stdout);
    bool same = true;
    for (int round = 0; round < rounds; ++round) {
        for (TCase& c : cases) {
            for (const std::string* path : {&byKeys, &byLog, &eachEntry}) {
                DeleteFileA(path->c_str());
                if (c.existing) WriteFileBytes(AnsiToWide(*path), *c.existing);
            }
            c.keyByKey.push_back(Seconds([&] { KeyByKey(byKeys, entries); }));
            c.log.push_back(Seconds([&] { WithLog(byLog, entries, false); }));
            c.logEachEntry.push_back(Seconds([&] { WithLog(eachEntry, entries, true); }));
            const std::string expected = FileBytes(byKeys);
            same = same && !expected.empty() && FileBytes(byLog) == expected && FileBytes(eachEntry) == expected;
        }
    }

    std::printf("  %-20s %12s %15s %9s %20s %9s\n", "", "key by key", "TUninstallLog", "ratio", "flush per entry",
                "ratio");
    for (const TCase& c : cases) {
        const double keys = Median(c.keyByKey), log = Median(c.log), each = Median(c.logEachEntry);
        std::printf("  %-20s %10.3f s %13.4f s %8.0fx %18.3f s %8.1fx\n", c.name, keys, log, keys / log, each,
                    keys / each);
    }
    std::printf("  bytes of both ways %s\n", same ? "identical in every round" : "DIFFER");

    for (const std::string* path : {&byKeys, &byLog, &eachEntry}) DeleteFileA(path->c_str());
    RemoveDirectoryA(folder.c_str());
    return same ? 0 : 1;
}
