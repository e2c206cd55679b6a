// unzipper: a command-line front end over TUnZipper, for people and for
// benchmarks; its options follow Info-ZIP unzip's where they meet.
//   unzipper -l ARCHIVE
//   unzipper -t [-P PASSWORD] [-q] ARCHIVE [PATTERN ...]
//   unzipper [-d DIR] [-P PASSWORD] [-o always|never|prompt|ifnewer|ifolder] [-j] [-q] ARCHIVE [PATTERN ...]
// Exit status: 0 all selected entries extracted (or tested good), 1 some
// skipped or failed their CRC, 2 the archive could not be read, 50 a file
// could not be written (a full disk, as Info-ZIP unzip numbers it).
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

#include "unzip/errors.h"
#include "unzip/unzipper.h"

namespace {

const char kUsage[] =
    "usage: unzipper -l ARCHIVE                        list the entries\n"
    "       unzipper -t [-P PASSWORD] [-q] ARCHIVE [PATTERN ...]   test them, writing nothing\n"
    "       unzipper [-d DIR] [-P PASSWORD] [-o always|never|prompt|ifnewer|ifolder] [-j] [-q] ARCHIVE [PATTERN ...]\n"
    "exit status: 0 every selected entry extracted (or tested good), 1 some skipped or failed their CRC,\n"
    "             2 the archive could not be read, 50 a file could not be written (a full disk)\n";

// Exit statuses beside 0 (success) and 1 (entries skipped or damaged).
constexpr int kBadArchiveOrUsage = 2;  // also a command line it cannot follow
constexpr int kWriteFailed = 50;  // Info-ZIP unzip's status for a full disk

const char* ReasonText(TSkipReason reason) {
    switch (reason) {
    case srBadPassword: return "wrong password";
    case srNoOverwrite: return "exists, not overwritten";
    case srFileOpenError: return "cannot open";
    case srCreateError: return "cannot create";
    }
    return "skipped";
}

// Questions go to the terminal; without one the answer is no.
class TerminalDialogs : public zipos::Dialogs {
public:
    bool AskYesNo(const std::string& text, const std::string&) override { return Ask(text + " [y/N] "); }
    bool AskOkCancel(const std::string& text, const std::string&) override { return Ask(text + " [y/N] "); }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        std::fprintf(stderr, "unzipper: %s: %s\n", caption.c_str(), text.c_str());
    }
    static bool Ask(const std::string& question) {
        if (!isatty(0)) return false;
        std::fprintf(stderr, "%s", question.c_str());
        std::string answer;
        if (!std::getline(std::cin, answer)) return false;
        return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
    }
};

std::string Native(std::string path) {
#ifndef _WIN32
    for (char& c : path)
        if (c == '\\') c = '/';
#endif
    return path;
}

const char* MethodName(uint16_t method) {
    switch (method) {
    case 0: return "stored";
    case 1: return "shrunk";
    case 2: case 3: case 4: case 5: return "reduced";
    case 6: return "imploded";
    case 8: return "deflated";
    }
    return "unknown";
}

// The listing: headings, one line per entry, and the totals, as unzip -l
// lays them out (with the method, compressed size, CRC and encryption too).
int List(TUnZipper& zip, const std::string& archive) {
    zip.ReadDirectory();
    const char* row = "%5s %-8s %10s %10s %8s %10s %8s %s %s\n";
    std::printf("Archive:  %s\n", archive.c_str());
    std::printf(row, "Index", "Method", "Compressed", "Length", "CRC-32", "Date", "Time", "E", "Name");
    std::printf(row, "-----", "--------", "----------", "----------", "--------", "----------", "--------", "-", "----");
    uint64_t compressed = 0, length = 0;
    int32_t files = 0;
    for (int32_t i = 0; i < zip.Count(); ++i) {
        const TZipEntryInfo& e = zip.Entry(i);
        const uint32_t d = e.dateTime >> 16, t = e.dateTime & 0xFFFF;
        std::printf("%5d %-8s %10u %10u %08x %04u-%02u-%02u %02u:%02u:%02u %c %s\n", i, MethodName(e.method),
                    e.compressedSize, e.uncompressedSize, e.crc32, 1980 + (d >> 9), (d >> 5) & 15, d & 31, t >> 11,
                    (t >> 5) & 63, 2 * (t & 31), e.Encrypted() ? 'E' : '-', Native(e.Path()).c_str());
        compressed += e.compressedSize;
        length += e.uncompressedSize;
        if (!e.fileName.empty()) ++files;
    }
    std::printf(row, "", "", "----------", "----------", "", "", "", " ", "----");
    std::printf("%5s %-8s %10llu %10llu %8s %10s %8s %s %d entries, %d files\n", "", "",
                static_cast<unsigned long long>(compressed), static_cast<unsigned long long>(length), "", "", "", " ",
                zip.Count(), files);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool list = false, test = false, quiet = false, junk = false;
    std::string dest, password, archive, mode = "prompt";
    std::vector<std::string> patterns;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "unzipper: %s needs a value\n%s", a.c_str(), kUsage);
                std::exit(kBadArchiveOrUsage);
            }
            into = argv[++i];
        };
        // Flags without values may be run together, as in "-tq".
        if (a.size() > 2 && a[0] == '-' && a.find_first_not_of("ltqj", 1) == std::string::npos) {
            list |= a.find('l') != std::string::npos;
            test |= a.find('t') != std::string::npos;
            quiet |= a.find('q') != std::string::npos;
            junk |= a.find('j') != std::string::npos;
        } else if (a == "-l") list = true;
        else if (a == "-t") test = true;
        else if (a == "-q") quiet = true;
        else if (a == "-j") junk = true;
        else if (a == "-d") value(dest);
        else if (a == "-P") value(password);
        else if (a == "-o") value(mode);
        else if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (archive.empty()) archive = a;
        else {
            for (char& c : a)
                if (c == '/') c = '\\';  // the component's separator
            patterns.push_back(a);
        }
    }
    if (archive.empty()) {
        std::fputs(kUsage, stderr);
        return kBadArchiveOrUsage;
    }
    TOverwriteMode overwrite;
    if (mode == "always") overwrite = Always;
    else if (mode == "never") overwrite = Never;
    else if (mode == "prompt") overwrite = Prompt;
    else if (mode == "ifnewer") overwrite = ifNewer;
    else if (mode == "ifolder") overwrite = ifOlder;
    else {
        std::fprintf(stderr, "unzipper: unknown overwrite mode '%s'\n%s", mode.c_str(), kUsage);
        return kBadArchiveOrUsage;
    }

    TUnZipper zip;
    zip.SetDialogs(std::make_shared<TerminalDialogs>());
    zip.DoProcessMessages = false;
    bool failures = false;
    int32_t needPassword = 0;
    // One line per entry that fails; with -t also one per good entry.
    auto problem = [&](const std::string& name, const std::string& what) {
        failures = true;
        if (test) std::printf("    testing: %-40s %s\n", Native(name).c_str(), what.c_str());
        else std::fprintf(stderr, "unzipper: %s: %s\n", what.c_str(), Native(name).c_str());
    };
    bool progress = false;
    try {
        zip.SetZipName(archive);
        if (list) return List(zip, archive);

        zip.SetDestDir(dest);
        zip.Password = password;
        zip.RecreateDirs = !junk;
        zip.OverwriteMode = overwrite;
        zip.TestOnly = test;
        zip.DoAll = patterns.empty();
        zip.FilesList = patterns;
        zip.OnSkippingFile = [&](TUnZipper& z, TSkipReason reason, const std::string& name, int32_t index, bool&) {
            if (reason != srBadPassword) {
                problem(name, std::string("skipped (") + ReasonText(reason) + ")");
                return;
            }
            ++needPassword;
            problem(z.DirectoryName(index) + z.FileName(index),
                    password.empty() ? "skipped (encrypted, no password given)" : "skipped (wrong password)");
        };
        zip.OnBadCRC = [&](TUnZipper& z, int32_t calc, int32_t stored, int32_t index) {
            char what[64];
            std::snprintf(what, sizeof what, "CRC error (%08x, stored %08x)", static_cast<uint32_t>(calc),
                          static_cast<uint32_t>(stored));
            problem(z.DirectoryName(index) + z.FileName(index), what);
        };
        if (test && !quiet)
            zip.OnEndUnZip = [&](TUnZipper& z, int32_t index, const std::string&) {
                std::printf("    testing: %-40s OK\n", Native(z.DirectoryName(index) + z.FileName(index)).c_str());
            };
        progress = !quiet && !test && isatty(2);
        int32_t shown = -1;
        if (progress)
            zip.OnTotalPercentDone = [&](TUnZipper&, int32_t percent) {
                if (percent == shown) return;
                shown = percent;
                char bar[41];
                std::memset(bar, ' ', 40);
                std::memset(bar, '#', static_cast<size_t>(percent * 40 / 100));
                bar[40] = 0;
                std::fprintf(stderr, "\r[%s] %3d%%", bar, percent);
            };
        int32_t selected = 0;
        zip.OnStartUnZipInfo = [&](TUnZipper&, int32_t files, int64_t, bool&) { selected = files; };
        const int32_t done = zip.UnZip();
        if (progress) std::fputc('\n', stderr);
        if (done < selected) failures = true;
        if (test) {
            if (!failures) std::printf("No errors detected in %d files of %s.\n", done, archive.c_str());
            else std::printf("%d of %d files of %s tested good.\n", done, selected, archive.c_str());
        } else if (!quiet) {
            std::printf("%d of %d files extracted\n", done, selected);
        }
        if (needPassword > 0)
            std::fprintf(stderr, "unzipper: %d encrypted %s not opened: %s\n", needPassword,
                         needPassword == 1 ? "file was" : "files were",
                         password.empty() ? "give the password with -P PASSWORD" : "wrong password given with -P");
    } catch (const EWriteError& e) {
        // The partly written file is gone; the ones finished before it stay.
        if (progress) std::fputc('\n', stderr);
        std::fprintf(stderr, "unzipper: cannot write %s: %s\n", Native(e.Path()).c_str(), e.Reason().c_str());
        return kWriteFailed;
    } catch (const EError& e) {
        if (progress) std::fputc('\n', stderr);
        std::fprintf(stderr, "unzipper: %s: %s\n", archive.c_str(), e.what());
        return kBadArchiveOrUsage;
    }
    return failures ? 1 : 0;
}
