#include "install/uninstall_log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "util/code_page.h"

namespace {

struct TEntry {
    int32_t number;
    std::string path;
    int32_t time;
};

// An extraction: "caf\xe9" is "café" in the ANSI code page; number 4 (a
// directory entry) has no log lines.
const std::vector<TEntry> kPlainRun = {
    {0, "readme.txt", 0x578F7BDD}, {1, "bin\\viewer.dll", -1},    {2, "caf\xe9 menu.txt", 1},
    {3, "lang\\ResEN.ini", 0},     {5, "a=b;[c].txt", INT32_MIN}, {6, "x", 7},
};
// Values the system's call reshapes (a leading space, a trailing tab) in the middle of a run.
const std::vector<TEntry> kOddValueRun = {
    {0, "first.txt", 1}, {1, " lead.txt", 2}, {2, "tab\t", 3}, {3, "last.txt", 4},
};

// Shapes of a log that an earlier installation (or a person) left.
const struct {
    const char* name;
    std::optional<std::string> bytes;  // none: no file
} kExistingLogs[] = {
    {"no file", std::nullopt},
    {"empty file", ""},
    {"more entries", "[Zantivo]\r\n0=old0\r\nD0=10\r\n1=old1\r\nD1=11\r\n2=old2\r\nD2=12\r\n3=old3\r\nD3=13\r\n"
                     "4=old4\r\nD4=14\r\n5=old5\r\nD5=15\r\n6=old6\r\nD6=16\r\n7=old7\r\nD7=17\r\n"},
    {"fewer entries", "[Zantivo]\r\n0=old0\r\nD0=10\r\n"},
    {"same values", "[Zantivo]\r\n0=readme.txt\r\nD0=1469021149\r\n"},
    {"sections around", "[Before]\r\na=1\r\n[Zantivo]\r\n1=old1\r\n[After]\r\nb=2\r\n"},
    {"another section only", "[Other]\r\nk=v\r\n"},
    {"letter case", "[zantivo]\r\nd1=5\r\nX=y\r\n"},
    {"keys before sections, lone names, empty values", "top=1\r\n[Zantivo]\r\n;comment\r\n3\r\nD3=\r\n"},
    {"repeated names", "[Zantivo]\r\n0=a\r\n0=b\r\n[Other]\r\n[ZANTIVO]\r\n1=c\r\n"},
    {"8-bit values", "[Other]\r\nk=\xe9\xe8\xff\r\n"},
    {"blank lines and spaces", "\r\n  [Zantivo] \r\n 0 = x \r\n\r\n[Other]\r\nk =v\r\n"},
    {"bare line feeds, no last break", "[Zantivo]\n0=x\nD0=5"},
    {"text after a section name", "[Zantivo] old\r\n0=a\r\n"},
    {"brackets in a section name", "[a]b]\r\nk=v\r\n[Zantivo]\r\n"},
    {"8-bit section name", "[Caf\xe9]\r\nk=v\r\n"},
    {"a tab and a control character", "[Zantivo]\r\nx=a\tb\r\ny=\x1a\r\n"},
    {"UTF-8 mark", "\xEF\xBB\xBF[Zantivo]\r\n0=x\r\n"},
    {"UTF-16 mark", std::string("\xFF\xFE[\0Z\0a\0n\0t\0i\0v\0o\0]\0\r\0\n\0", 24)},
};

std::string Ansi(const std::wstring& path) { return WideToAnsi(path); }

void WriteKeyByKey(const std::string& path, const std::vector<TEntry>& run) {
    for (const TEntry& entry : run) {
        const std::string key = std::to_string(entry.number);
        WritePrivateProfileStringA("Zantivo", key.c_str(), entry.path.c_str(), path.c_str());
        WritePrivateProfileStringA("Zantivo", ("D" + key).c_str(), std::to_string(entry.time).c_str(), path.c_str());
    }
}

void WriteWithLog(const std::string& path, const std::vector<TEntry>& run) {
    TUninstallLog log(path);
    for (const TEntry& entry : run) log.Add(entry.number, entry.path, entry.time);
}

std::string Value(const std::wstring& path, const char* key) {
    char buffer[256];
    DWORD n = GetPrivateProfileStringA("Zantivo", key, "<none>", buffer, sizeof buffer, Ansi(path).c_str());
    return std::string(buffer, n);
}

std::string Printable(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F) text += static_cast<char>(c);
        else if (c == '\n') text += "\\n\n";
        else {
            char hex[8];
            snprintf(hex, sizeof hex, "<%02x>", c);
            text += hex;
        }
    }
    return text;
}

}  // namespace

// The log must hold the very bytes that one private-profile write per key
// gives, whatever an earlier installation left in the file.
TEST(UninstallLogTest, WritesTheBytesOfKeyByKeyWritesOverEveryShapeOfEarlierLog) {
    for (const auto* run : {&kPlainRun, &kOddValueRun}) {
        for (const auto& existing : kExistingLogs) {
            SCOPED_TRACE(std::string(existing.name) + (run == &kPlainRun ? ", plain values" : ", odd values"));
            TempFolder dir;
            const std::wstring byKeys = dir / L"byKeys.log", byLog = dir / L"byLog.log";
            if (existing.bytes) {
                WriteBytes(byKeys, *existing.bytes);
                WriteBytes(byLog, *existing.bytes);
            }
            WriteKeyByKey(Ansi(byKeys), *run);
            WriteWithLog(Ansi(byLog), *run);
            const std::string expected = ReadBytes(byKeys);
            EXPECT_EQ(Printable(ReadBytes(byLog)), Printable(expected));
            EXPECT_EQ(Value(byLog, "D3"), std::to_string((*run)[3].time));
        }
    }
}

TEST(UninstallLogTest, ASecondInstallationKeepsTheHigherKeysOfTheFirst) {
    TempFolder dir;
    const std::string path = Ansi(dir / L"Uninstall.log");
    WriteWithLog(path, kPlainRun);
    WriteWithLog(path, {{0, "new.txt", 9}});
    EXPECT_EQ(ReadBytes(dir / L"Uninstall.log"),
              "[Zantivo]\r\n0=new.txt\r\nD0=9\r\n1=bin\\viewer.dll\r\nD1=-1\r\n2=caf\xe9 menu.txt\r\nD2=1\r\n"
              "3=lang\\ResEN.ini\r\nD3=0\r\n5=a=b;[c].txt\r\nD5=-2147483648\r\n6=x\r\nD6=7\r\n");
}

// A process killed from outside loses only what was added since the last
// flush, which an Add makes once a quarter of a second has passed.
TEST(UninstallLogTest, AddFlushesOnItsOwnOnceAQuarterSecondHasPassed) {
    TempFolder dir;
    const std::wstring path = dir / L"Uninstall.log";
    TUninstallLog log(Ansi(path));
    log.Add(0, "a.txt", 10);
    Sleep(300);
    log.Add(1, "b.txt", 11);
    EXPECT_EQ(ReadBytes(path), "[Zantivo]\r\n0=a.txt\r\nD0=10\r\n1=b.txt\r\nD1=11\r\n");
    Sleep(300);
    log.Add(2, "c.txt", 12);
    EXPECT_EQ(Value(path, "D2"), "12");
}

// A log that cannot be written now keeps its keys and writes them with the next flush.
TEST(UninstallLogTest, KeysARefusedFlushCouldNotWriteAreWrittenByTheNextOne) {
    TempFolder dir;
    const std::wstring path = dir / L"Uninstall.log";
    TUninstallLog log(Ansi(path));
    log.Add(0, "a.txt", 10);
    log.Flush();
    {
        LockedFile lock(path);
        log.Add(1, "b.txt", 11);
        log.Flush();
    }
    log.Add(2, "c.txt", 12);
    log.Flush();
    EXPECT_EQ(ReadBytes(path), "[Zantivo]\r\n0=a.txt\r\nD0=10\r\n1=b.txt\r\nD1=11\r\n2=c.txt\r\nD2=12\r\n");

    // Written by someone else meanwhile: the log takes the file as it finds it.
    WritePrivateProfileStringA("Other", "k", "v", Ansi(path).c_str());
    log.Add(3, "d.txt", 13);
    log.Flush();
    EXPECT_EQ(ReadBytes(path),
              "[Zantivo]\r\n0=a.txt\r\nD0=10\r\n1=b.txt\r\nD1=11\r\n2=c.txt\r\nD2=12\r\n3=d.txt\r\nD3=13\r\n"
              "[Other]\r\nk=v\r\n");
}

TEST(UninstallLogTest, FileTimesAreSignedLocalFatDateTimes) {
    TempFolder dir;
    const std::wstring file = dir / L"f.txt";
    WriteBytes(file, "x");
    struct {
        SYSTEMTIME local;
        int32_t expected;
    } cases[] = {
        // 2023-11-30 23:59:58: date (43 << 9 | 11 << 5 | 30), time (23 << 11 | 59 << 5 | 29).
        {{2023, 11, 4, 30, 23, 59, 58, 0}, static_cast<int32_t>(0x577EBF7Du)},
        // 2050 sets the date's top bit: the number is negative.
        {{2050, 1, 6, 1, 0, 0, 0, 0}, static_cast<int32_t>(0x8C210000u)},
    };
    for (const auto& c : cases) {
        FILETIME local, utc;
        ASSERT_TRUE(SystemTimeToFileTime(&c.local, &local));
        ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
        HANDLE h = CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        SetFileTime(h, nullptr, nullptr, &utc);
        CloseHandle(h);
        EXPECT_EQ(LogFileDateTime(Ansi(file)), c.expected);
    }
    EXPECT_EQ(LogFileDateTime(Ansi(dir / L"missing.txt")), -1);
    EXPECT_EQ(LogFileDateTime(Ansi(dir.Path())), -1);
    EXPECT_EQ(LogFileDateTime(Ansi(dir / L"f.tx?")), -1);  // no other file's time through a wildcard
}
