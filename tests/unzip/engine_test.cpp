#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

#include "unzip/decode_context.h"
#include "unzip/errors.h"
#include "unzip/unzip_test_support.h"
#include "unzip/unzipper.h"
#include "unzip/wildcard.h"

namespace {

constexpr char kPayloadPassword[] = "417263";

// Records what the component says, in order.
struct Recorder {
    std::vector<std::string> events;
    std::vector<int32_t> filePercents, totalPercents;

    void Attach(TUnZipper& zip) {
        zip.OnStartUnZipInfo = [this](TUnZipper&, int32_t n, int64_t bytes, bool&) {
            events.push_back("info " + std::to_string(n) + " " + std::to_string(bytes));
        };
        zip.OnStartUnZip = [this](TUnZipper& z, int32_t i, std::string&, bool&) {
            events.push_back("start " + z.FileName(i));
        };
        zip.OnFilePercentDone = [this](TUnZipper&, int32_t p) { filePercents.push_back(p); };
        zip.OnTotalPercentDone = [this](TUnZipper&, int32_t p) { totalPercents.push_back(p); };
        zip.OnEndUnZip = [this](TUnZipper& z, int32_t i, const std::string&) { events.push_back("end " + z.FileName(i)); };
        zip.OnSkippingFile = [this](TUnZipper&, TSkipReason r, const std::string& name, int32_t, bool&) {
            events.push_back("skip " + std::to_string(r) + " " + name);
        };
        zip.OnBadCRC = [this](TUnZipper& z, int32_t, int32_t, int32_t i) { events.push_back("crc " + z.FileName(i)); };
        zip.OnUnZipComplete = [this](TUnZipper&, int32_t n) { events.push_back("complete " + std::to_string(n)); };
    }
};

// Dialog answers for tests; counts what was shown.
struct ScriptedDialogs : zipos::Dialogs {
    std::vector<std::string> shown;
    bool yes = false;
    bool folderChosen = false;
    std::string folder;
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        shown.push_back(caption + ": " + text);
        return yes;
    }
    void ShowMessage(const std::string& text, const std::string& caption) override { shown.push_back(caption + ": " + text); }
    bool ChooseFolder(const std::string&, std::string& chosen) override {
        if (folderChosen) chosen = folder;
        return folderChosen;
    }
    bool ChooseZipFile(const std::string&, std::string& chosen) override {
        if (folderChosen) chosen = folder;
        return folderChosen;
    }
};

// An extractor set up as the installer uses it, on an archive and a destination.
struct Extraction {
    TUnZipper zip;
    TempDir out;
    Recorder recorder;
    std::shared_ptr<ScriptedDialogs> dialogs = std::make_shared<ScriptedDialogs>();

    explicit Extraction(const fs::path& archive) {
        zip.SetDialogs(dialogs);
        zip.SetZipName(Native(archive));
        zip.SetDestDir(out.Str());
        zip.RecreateDirs = true;
        zip.DoAll = true;
        zip.OverwriteMode = Always;
        recorder.Attach(zip);
    }
};

CraftedEntry Stored(const std::string& name, const std::string& data) {
    CraftedEntry e;
    e.name = name;
    e.data = data;
    return e;
}

uint32_t Dos(int year, int month, int day, int hour, int minute, int second) {
    return (uint32_t((year - 1980) << 9 | month << 5 | day) << 16) | uint32_t(hour << 11 | minute << 5 | second / 2);
}

// A path as the component forms it: its own separator is '\\' everywhere.
std::string ComponentPath(const TempDir& dir, const std::string& name) { return dir.Str() + "\\" + name; }

// The DOS time of a file's modification time, in local time.
uint32_t FileDos(const fs::path& p) {
    const auto sys = std::chrono::file_clock::to_sys(fs::last_write_time(p));
    std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::time_point_cast<std::chrono::seconds>(sys));
    std::tm local = *std::localtime(&t);
    return Dos(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}

bool ReadOnly(const fs::path& p) {
    return (fs::status(p).permissions() & fs::perms::owner_write) == fs::perms::none;
}

// Whether this platform refuses to replace a read-only file (Wine running as
// root does not).
bool ReadOnlyIsEnforced() {
    TempDir dir;
    WriteFile(dir / "probe", "x");
    fs::permissions(dir / "probe", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    try {
        zipos::File::Create(Native(dir / "probe"));
        return false;
    } catch (const EFCreateError&) {
        return true;
    }
}

}  // namespace

TEST(EngineTest, ExtractsArchivesOfOtherToolsByteForByte) {
    for (const char* name : {"stored.zip", "deflate1.zip", "deflate9.zip", "encrypted.zip", "encrypted-stored.zip"}) {
        Extraction x(TestData() / name);
        x.zip.Password = kPayloadPassword;
        EXPECT_EQ(x.zip.UnZip(), 7) << name;
        EXPECT_EQ(TreeFiles(x.out.Path()), TreeFiles(TestData() / "tree")) << name;
        EXPECT_TRUE(fs::is_directory(x.out / "empty-dir")) << name;
        EXPECT_EQ(x.recorder.totalPercents.back(), 100) << name;
        EXPECT_EQ(x.recorder.events.back(), "complete 7") << name;
    }
    Extraction python(TestData() / "python.zip");
    EXPECT_EQ(python.zip.UnZip(), 2);
    std::string alpha;
    for (int i = 0; i < 5000; ++i) alpha += "alpha ";
    EXPECT_EQ(ReadFile(python.out / "alpha" / "first.txt"), alpha);
    EXPECT_EQ(ReadFile(python.out / "beta.bin").size(), 2560u);
    EXPECT_EQ(FileDos(python.out / "beta.bin"), Dos(2021, 6, 7, 8, 9, 10));
}

TEST(EngineTest, StreamedEncryptedEntriesCheckTheTimeByte) {
    Extraction x(TestData() / "streamed.zip");
    x.zip.Password = kPayloadPassword;
    x.zip.ReadDirectory();
    ASSERT_TRUE(x.zip.Entry(0).flags & 8);
    EXPECT_EQ(x.zip.UnZip(), 1);
    EXPECT_EQ(ReadFile(x.out / "-"), ReadFile(TestData() / "tree" / "bin" / "large.txt"));

    // Crafted: flag bit 3, check byte from the time; the CRC's high byte differs.
    CraftedEntry e = Stored("t.txt", "time checked");
    e.flags = 8;
    e.password = "pw";
    e.dosDateTime = Dos(2020, 5, 5, 13, 14, 0);
    ASSERT_NE(static_cast<uint8_t>(e.dosDateTime >> 8), static_cast<uint8_t>(TestCrc32(e.data) >> 24));
    TempDir dir;
    WriteFile(dir / "t.zip", BuildArchive({e}));
    Extraction y(dir / "t.zip");
    y.zip.Password = "pw";
    EXPECT_EQ(y.zip.UnZip(), 1);
    EXPECT_EQ(ReadFile(y.out / "t.txt"), "time checked");
}

TEST(EngineTest, EventsComeInOrderWithProgressPerBlock) {
    TempDir dir;
    const std::string big(40000, 'b');
    WriteFile(dir / "e.zip", BuildArchive({Stored("docs/", ""), Stored("docs/big.bin", big), Stored("small.txt", "small"),
                                           Stored("zero.txt", "")}));
    Extraction x(dir / "e.zip");
    EXPECT_EQ(x.zip.UnZip(), 3);
    EXPECT_EQ(x.recorder.events,
              (std::vector<std::string>{"info 3 40005", "start big.bin", "end big.bin", "start small.txt", "end small.txt",
                                        "start zero.txt", "end zero.txt", "complete 3"}));
    // 16000, 16000 and 8000 bytes for the big file; one block for the small one; none for the empty one.
    EXPECT_EQ(x.recorder.filePercents, (std::vector<int32_t>{40, 80, 100, 100}));
    EXPECT_EQ(x.recorder.totalPercents, (std::vector<int32_t>{40, 80, 100, 100}));
    EXPECT_EQ(ReadFile(x.out / "docs" / "big.bin"), big);
    EXPECT_TRUE(fs::exists(x.out / "zero.txt"));
}

TEST(EngineTest, PercentRoundsToNearestWithTiesToEvenAndCaps) {
    EXPECT_EQ(Percent(1, 8), 12);   // 12.5
    EXPECT_EQ(Percent(3, 8), 38);   // 37.5
    EXPECT_EQ(Percent(1, 3), 33);
    EXPECT_EQ(Percent(2, 3), 67);
    EXPECT_EQ(Percent(8, 8), 100);
    EXPECT_EQ(Percent(9, 8), 100);
    EXPECT_EQ(Percent(5, 0), 0);
    EXPECT_EQ(Percent(5, -3), 0);
    EXPECT_EQ(Percent(int64_t{3} << 40, int64_t{4} << 40), 75);
}

TEST(EngineTest, WrongPasswordsSkipBeforeTheFileIsMade) {
    TempDir dir;
    CraftedEntry e = Stored("sub/secret.txt", "the secret");
    e.password = "right";
    WriteFile(dir / "p.zip", BuildArchive({e, Stored("plain.txt", "plain")}));

    Extraction x(dir / "p.zip");
    x.zip.Password = "wrong";
    EXPECT_EQ(x.zip.UnZip(), 1);
    EXPECT_EQ(x.recorder.events[2], "skip 0 sub\\secret.txt");
    EXPECT_TRUE(fs::is_directory(x.out / "sub"));
    EXPECT_FALSE(fs::exists(x.out / "sub" / "secret.txt"));

    // A handler that offers the right password opens it; one that repeats gives up.
    Extraction y(dir / "p.zip");
    std::vector<std::string> offered;
    y.zip.OnBadPassword = [&](TUnZipper&, int32_t, std::string& password) {
        offered.push_back(password);
        password = offered.size() == 1 ? "still wrong" : "right";
    };
    EXPECT_EQ(y.zip.UnZip(), 2);
    EXPECT_EQ(offered, (std::vector<std::string>{"", "still wrong"}));
    EXPECT_EQ(y.zip.Password, "right");
    EXPECT_EQ(ReadFile(y.out / "sub" / "secret.txt"), "the secret");

    Extraction z(dir / "p.zip");
    int asked = 0;
    z.zip.OnBadPassword = [&](TUnZipper&, int32_t, std::string&) { ++asked; };
    EXPECT_EQ(z.zip.UnZip(), 1);
    EXPECT_EQ(asked, 1);
}

TEST(EngineTest, OverwriteModesDecideAboutExistingFiles) {
    TempDir dir;
    CraftedEntry e = Stored("f.txt", "new");
    e.dosDateTime = Dos(2022, 6, 1, 12, 0, 0);
    WriteFile(dir / "o.zip", BuildArchive({e}));
    auto prepare = [&](Extraction& x, const std::string& old, uint32_t oldTime) {
        WriteFile(x.out / "f.txt", old);
        zipos::File f = zipos::File::TryOpenWrite(Native(x.out / "f.txt"));
        ASSERT_TRUE(f.IsOpen());
        f.SetDosDateTime(oldTime);
    };
    {
        Extraction x(dir / "o.zip");
        x.zip.OverwriteMode = Never;
        prepare(x, "old", e.dosDateTime);
        EXPECT_EQ(x.zip.UnZip(), 0);
        EXPECT_EQ(ReadFile(x.out / "f.txt"), "old");
        EXPECT_EQ(x.recorder.events[2], "skip 1 " + ComponentPath(x.out, "f.txt"));
    }
    for (auto [mode, oldTime, replaced] : {std::tuple{ifNewer, Dos(2022, 6, 1, 12, 0, 0), false},
                                           std::tuple{ifNewer, Dos(2021, 6, 1, 12, 0, 0), true},
                                           std::tuple{ifNewer, Dos(2023, 6, 1, 12, 0, 0), false},
                                           std::tuple{ifOlder, Dos(2023, 6, 1, 12, 0, 0), true},
                                           std::tuple{ifOlder, Dos(2022, 6, 1, 12, 0, 0), false}}) {
        Extraction x(dir / "o.zip");
        x.zip.OverwriteMode = mode;
        prepare(x, "old", oldTime);
        EXPECT_EQ(x.zip.UnZip(), replaced ? 1 : 0) << mode << " " << oldTime;
        EXPECT_EQ(ReadFile(x.out / "f.txt"), replaced ? "new" : "old");
    }
    {  // Prompt: the handler decides and may redirect.
        Extraction x(dir / "o.zip");
        x.zip.OverwriteMode = Prompt;
        prepare(x, "old", e.dosDateTime);
        x.zip.OnPromptForOverwrite = [&](TUnZipper&, bool& overwrite, int32_t index, std::string& name) {
            EXPECT_EQ(index, 0);
            EXPECT_FALSE(overwrite);
            name = Native(x.out / "other.txt");
            overwrite = true;
        };
        EXPECT_EQ(x.zip.UnZip(), 1);
        EXPECT_EQ(ReadFile(x.out / "f.txt"), "old");
        EXPECT_EQ(ReadFile(x.out / "other.txt"), "new");
    }
    {  // Prompt without a handler: the message box asks.
        Extraction x(dir / "o.zip");
        x.zip.OverwriteMode = Prompt;
        prepare(x, "old", e.dosDateTime);
        x.dialogs->yes = true;
        EXPECT_EQ(x.zip.UnZip(), 1);
        EXPECT_EQ(x.dialogs->shown, std::vector<std::string>{"File Exists Alert: Replace existing file f.txt?"});
        EXPECT_EQ(ReadFile(x.out / "f.txt"), "new");
    }
}

TEST(EngineTest, ReadOnlyFilesAreReplacedOnlyWhenAsked) {
    if (!ReadOnlyIsEnforced()) GTEST_SKIP() << "read-only files can be replaced here anyway (an administrator under Wine)";
    TempDir dir;
    WriteFile(dir / "r.zip", BuildArchive({Stored("ro.txt", "new")}));
    for (bool replace : {true, false}) {
        Extraction x(dir / "r.zip");
        x.zip.ReplaceReadOnly = replace;
        WriteFile(x.out / "ro.txt", "old");
        fs::permissions(x.out / "ro.txt", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        EXPECT_EQ(x.zip.UnZip(), replace ? 1 : 0);
        EXPECT_EQ(ReadFile(x.out / "ro.txt"), replace ? "new" : "old");
        if (!replace) {
            EXPECT_EQ(x.recorder.events[2], "skip 3 " + ComponentPath(x.out, "ro.txt"));
        }
    }
}

TEST(EngineTest, AttributesAndTimesComeFromTheEntry) {
    TempDir dir;
    CraftedEntry plain = Stored("plain.txt", "p");
    plain.dosDateTime = Dos(2019, 7, 8, 9, 10, 12);
    CraftedEntry readOnly = Stored("ro.txt", "r");
    readOnly.externalAttributes = 0x21;  // archive and read-only
    readOnly.dosDateTime = Dos(2018, 1, 1, 0, 0, 0);
    WriteFile(dir / "a.zip", BuildArchive({plain, readOnly}));
    Extraction x(dir / "a.zip");
    EXPECT_EQ(x.zip.UnZip(), 2);
    EXPECT_EQ(FileDos(x.out / "plain.txt"), Dos(2019, 7, 8, 9, 10, 12));
    EXPECT_FALSE(ReadOnly(x.out / "plain.txt"));
    EXPECT_TRUE(ReadOnly(x.out / "ro.txt"));
    // The read-only file could not be opened to set its time (where the
    // platform enforces read-only files).
    if (ReadOnlyIsEnforced()) {
        EXPECT_NE(FileDos(x.out / "ro.txt"), Dos(2018, 1, 1, 0, 0, 0));
    }

    Extraction y(dir / "a.zip");
    y.zip.RetainAttributes = false;
    EXPECT_EQ(y.zip.UnZip(), 2);
    EXPECT_FALSE(ReadOnly(y.out / "ro.txt"));
    EXPECT_EQ(FileDos(y.out / "ro.txt"), Dos(2018, 1, 1, 0, 0, 0));
}

// Testing runs the same sequence and events as extracting, decrypting and
// checking every entry, but makes no folder or file and deletes nothing.
TEST(EngineTest, TestingChecksEveryEntryAndWritesNothing) {
    std::string archive = ReadFile(TestData() / "encrypted.zip");
    const size_t local = archive.find("readme.txt") + 10;
    archive[local + 400] = static_cast<char>(archive[local + 400] ^ 0x55);
    TempDir dir;
    WriteFile(dir / "bad.zip", archive);
    WriteFile(dir / "existing.txt", "kept");
    Extraction x(dir / "bad.zip");
    x.zip.SetDestDir(ComponentPath(dir, "never"));
    x.zip.Password = kPayloadPassword;
    x.zip.TestOnly = true;
    x.zip.OverwriteMode = Never;  // not consulted
    EXPECT_EQ(x.zip.UnZip(), 6);
    EXPECT_FALSE(fs::exists(dir / "never"));
    EXPECT_EQ(TreeFiles(dir.Path()).size(), 2u);
    const auto& events = x.recorder.events;
    EXPECT_EQ(std::count_if(events.begin(), events.end(), [](const std::string& e) { return e.rfind("end ", 0) == 0; }), 6);
    EXPECT_NE(std::find(events.begin(), events.end(), "skip 0 readme.txt"), events.end());
    EXPECT_EQ(events.back(), "complete 6");
}

TEST(EngineTest, DamagedEntriesFailTheirCrcAndLeaveNothingBehind) {
    std::string archive = ReadFile(TestData() / "deflate9.zip");
    // Damage the deflate data of readme.txt (the first member) in its middle.
    const size_t local = archive.find("readme.txt") + 10;
    archive[local + 400] = static_cast<char>(archive[local + 400] ^ 0x55);
    TempDir dir;
    WriteFile(dir / "bad.zip", archive);
    Extraction x(dir / "bad.zip");
    EXPECT_EQ(x.zip.UnZip(), 6);
    EXPECT_FALSE(fs::exists(x.out / "readme.txt"));
    EXPECT_NE(std::find(x.recorder.events.begin(), x.recorder.events.end(), "crc readme.txt"), x.recorder.events.end());
    EXPECT_EQ(ReadFile(x.out / "bin" / "large.txt"), ReadFile(TestData() / "tree" / "bin" / "large.txt"));

    // The same damage in an encrypted entry reads as a wrong password, and
    // even a read-only damaged file is removed.
    std::string enc = ReadFile(TestData() / "encrypted.zip");
    const size_t encLocal = enc.find("readme.txt") + 10;
    enc[encLocal + 400] = static_cast<char>(enc[encLocal + 400] ^ 0x55);
    WriteFile(dir / "badenc.zip", enc);
    Extraction y(dir / "badenc.zip");
    y.zip.Password = kPayloadPassword;
    EXPECT_EQ(y.zip.UnZip(), 6);
    EXPECT_FALSE(fs::exists(y.out / "readme.txt"));
    EXPECT_NE(std::find(y.recorder.events.begin(), y.recorder.events.end(), "skip 0 readme.txt"), y.recorder.events.end());

    CraftedEntry ro = Stored("ro.txt", "data");
    ro.crc = 0x12345678;
    ro.externalAttributes = 0x21;
    WriteFile(dir / "ro.zip", BuildArchive({ro}));
    Extraction z(dir / "ro.zip");
    EXPECT_EQ(z.zip.UnZip(), 0);
    EXPECT_FALSE(fs::exists(z.out / "ro.txt"));
}

TEST(EngineTest, OutputLongerThanStatedStopsAtTheLastBlockThatFits) {
    TempDir dir;
    CraftedEntry e = Stored("long.bin", std::string(40000, 'L'));
    e.uncompressedSize = 20000;
    WriteFile(dir / "l.zip", BuildArchive({e, Stored("next.txt", "next")}));
    Extraction x(dir / "l.zip");
    EXPECT_EQ(x.zip.UnZip(), 1);
    EXPECT_EQ(x.recorder.filePercents.front(), 80);  // 16000 of 20000, then the guard
    EXPECT_EQ(x.recorder.events[2], "crc long.bin");
    EXPECT_FALSE(fs::exists(x.out / "long.bin"));
    EXPECT_EQ(ReadFile(x.out / "next.txt"), "next");
}

TEST(EngineTest, ATruncatedArchiveEndsTheRunButCompletesIt) {
    std::string archive = ReadFile(TestData() / "stored.zip");
    // Keep the directory but cut the data of the large file short: the
    // central directory stays readable, the member's bytes do not.
    TempDir dir;
    const size_t central = archive.find("PK\x01\x02");
    const size_t large = archive.find("large.txt") + 9;
    std::string cut = archive.substr(0, large + 5000);
    // A new end record pointing at a copy of the central directory placed
    // right after the cut makes the member data appear truncated.
    const std::string directory = archive.substr(central);
    const uint32_t offset = static_cast<uint32_t>(cut.size());
    std::string tail = directory;
    const size_t end = tail.rfind("PK\x05\x06");
    for (int i = 0; i < 4; ++i) tail[end + 16 + i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
    WriteFile(dir / "cut.zip", cut + tail);

    Extraction x(dir / "cut.zip");
    try {
        x.zip.UnZip();
        FAIL() << "no error";
    } catch (const EFatalUnZip& error) {
        EXPECT_STREQ(error.what(), "Premature end of file reached");
    }
    EXPECT_EQ(x.recorder.events.back().rfind("complete ", 0), 0u);
    EXPECT_TRUE(x.zip.FilesList.empty());
}

TEST(EngineTest, UnknownMethodsSayItOnceAndFailTheirCrc) {
    TempDir dir;
    CraftedEntry nine = Stored("nine.bin", "whatever");
    nine.method = 9;
    CraftedEntry zero = Stored("zero.bin", "");
    zero.method = 7;
    zero.crc = 0;
    WriteFile(dir / "m.zip", BuildArchive({nine, zero}));
    Extraction x(dir / "m.zip");
    EXPECT_EQ(x.zip.UnZip(), 1);
    EXPECT_EQ(x.dialogs->shown, (std::vector<std::string>{"Zip Error: Unknown Compression Method",
                                                          "Zip Error: Unknown Compression Method"}));
    EXPECT_FALSE(fs::exists(x.out / "nine.bin"));
    EXPECT_EQ(ReadFile(x.out / "zero.bin"), "");  // a stored CRC of 0 passes
}

TEST(EngineTest, FoldersFollowRecreateDirsRootDirAndAbsolutePaths) {
    TempDir dir;
    WriteFile(dir / "d.zip", BuildArchive({Stored("docs/a.txt", "a"), Stored("docs/", ""), Stored("C:/data/c.txt", "c"),
                                           Stored("/data/s.txt", "s"), Stored("base/r.txt", "r"),
                                           Stored("base/deeper/d.txt", "d")}));
    {
        Extraction x(dir / "d.zip");
        x.zip.RecreateDirs = false;
        EXPECT_EQ(x.zip.UnZip(), 5);
        EXPECT_EQ(ReadFile(x.out / "a.txt"), "a");
        EXPECT_EQ(ReadFile(x.out / "d.txt"), "d");
        EXPECT_FALSE(fs::exists(x.out / "docs"));
    }
    {
        Extraction x(dir / "d.zip");
        x.zip.SetRootDir("BASE");
        EXPECT_EQ(x.zip.RootDir(), "BASE\\");
        EXPECT_EQ(x.zip.UnZip(), 5);
        EXPECT_EQ(ReadFile(x.out / "docs" / "a.txt"), "a");
        EXPECT_EQ(ReadFile(x.out / "data" / "c.txt"), "c");
        EXPECT_EQ(ReadFile(x.out / "data" / "s.txt"), "s");
        EXPECT_EQ(ReadFile(x.out / "r.txt"), "r");
        EXPECT_EQ(ReadFile(x.out / "deeper" / "d.txt"), "d");
    }
}

TEST(EngineTest, NothingInTheArchiveWritesOutsideTheDestination) {
    TempDir root;
    const fs::path dest = root / "dest";
    Extraction x(TestData() / "traversal.zip");
    x.zip.SetDestDir(Native(dest));
    EXPECT_EQ(x.zip.UnZip(), 6);
    // Everything landed inside the destination, nothing beside it.
    std::vector<std::string> outside;
    for (auto& e : fs::recursive_directory_iterator(root.Path()))
        if (e.is_regular_file() && fs::relative(e.path(), dest).native().rfind(fs::path("..").native(), 0) == 0)
            outside.push_back(e.path().string());
    EXPECT_TRUE(outside.empty());
    EXPECT_EQ(ReadFile(dest / "escaped-1.txt"), "payload of ../escaped-1.txt");
    EXPECT_EQ(ReadFile(dest / "a" / "escaped-2.txt"), "payload of a/../../escaped-2.txt");
    EXPECT_EQ(ReadFile(dest / "abs" / "escaped-3.txt"), "payload of /abs/escaped-3.txt");
    EXPECT_EQ(ReadFile(dest / "drive" / "escaped-4.txt"), "payload of C:/drive/escaped-4.txt");
    EXPECT_EQ(ReadFile(dest / "escaped-5.txt"), "payload of C:escaped-5.txt");
    EXPECT_EQ(ReadFile(dest / "ok" / "inside.txt"), "payload of ./ok/./inside.txt");

    // Without a destination the current folder is the root, not the drive's.
    const fs::path before = fs::current_path();
    fs::create_directories(root / "cwd");
    fs::current_path(root / "cwd");
    Extraction y(TestData() / "traversal.zip");
    y.zip.SetDestDir("");
    const int32_t extracted = y.zip.UnZip();
    fs::current_path(before);
    EXPECT_EQ(extracted, 6);
    EXPECT_TRUE(fs::exists(root / "cwd" / "abs" / "escaped-3.txt"));
    EXPECT_TRUE(fs::exists(root / "cwd" / "escaped-1.txt"));

    // A handler's redirect is the caller's choice and is followed.
    Extraction z(TestData() / "python.zip");
    z.zip.OnStartUnZip = [&](TUnZipper&, int32_t, std::string& name, bool& skip) {
        if (name.find("beta") != std::string::npos) name = Native(root / "redirected.bin");
        else skip = true;
    };
    EXPECT_EQ(z.zip.UnZip(), 1);
    EXPECT_EQ(ReadFile(root / "redirected.bin").size(), 2560u);
    EXPECT_FALSE(fs::exists(z.out / "alpha" / "first.txt"));
}

TEST(EngineTest, DirectoryOnlyArchivesAnnounceNothing) {
    Extraction x(TestData() / "dirs-only.zip");
    x.zip.RecreateDirs = false;
    const fs::path dest = x.out / "made";
    x.zip.SetDestDir(Native(dest));
    EXPECT_EQ(x.zip.UnZip(), 0);
    EXPECT_EQ(x.recorder.events, (std::vector<std::string>{"info 0 0", "complete 0"}));
    EXPECT_TRUE(fs::is_directory(dest));
    EXPECT_TRUE(fs::is_empty(dest));
}

TEST(EngineTest, SelectionRetriesAndStops) {
    TempDir dir;
    WriteFile(dir / "s.zip", BuildArchive({Stored("a.txt", "a"), Stored("b.bin", "b"), Stored("sub/c.TXT", "c")}));
    {  // Only the patterns' entries when DoAll is clear; the list is emptied afterwards.
        Extraction x(dir / "s.zip");
        x.zip.DoAll = false;
        x.zip.FilesList = {"*.txt"};
        EXPECT_EQ(x.zip.UnZip(), 2);
        EXPECT_TRUE(fs::exists(x.out / "a.txt"));
        EXPECT_TRUE(fs::exists(x.out / "sub" / "c.TXT"));
        EXPECT_FALSE(fs::exists(x.out / "b.bin"));
        EXPECT_TRUE(x.zip.FilesList.empty());
        EXPECT_EQ(x.recorder.events.front(), "info 2 2");
    }
    {  // Retry from the skip handler runs the same index again.
        Extraction x(dir / "s.zip");
        x.zip.OverwriteMode = Never;
        WriteFile(x.out / "b.bin", "old");
        int skips = 0;
        x.zip.OnSkippingFile = [&](TUnZipper&, TSkipReason, const std::string&, int32_t index, bool& retry) {
            EXPECT_EQ(index, 1);
            retry = ++skips < 3;
        };
        std::vector<int32_t> started;
        x.zip.OnStartUnZip = [&](TUnZipper&, int32_t index, std::string&, bool&) { started.push_back(index); };
        EXPECT_EQ(x.zip.UnZip(), 2);
        EXPECT_EQ(started, (std::vector<int32_t>{0, 1, 1, 1, 2}));
    }
    {  // StopNow in the announcement ends the run before any entry.
        Extraction x(dir / "s.zip");
        x.zip.OnStartUnZipInfo = [](TUnZipper&, int32_t, int64_t, bool& stop) { stop = true; };
        EXPECT_EQ(x.zip.UnZip(), 0);
        EXPECT_TRUE(fs::is_empty(x.out.Path()));
    }
}

TEST(EngineTest, WildcardMatchPatterns) {
    EXPECT_TRUE(WildcardMatch("anything at all", "*"));
    EXPECT_TRUE(WildcardMatch("docs\\readme.txt", "*.txt"));
    EXPECT_TRUE(WildcardMatch("README.TXT", "readme.t?t"));
    EXPECT_FALSE(WildcardMatch("readme.txt", "readme.t?"));
    EXPECT_TRUE(WildcardMatch("abc", "a*b*c*"));
    EXPECT_TRUE(WildcardMatch("file7.dat", "file<0-9>.dat"));
    EXPECT_FALSE(WildcardMatch("filex.dat", "file<0-9>.dat"));
    EXPECT_TRUE(WildcardMatch("filex.dat", "file<!0-9>.dat"));
    EXPECT_TRUE(WildcardMatch("fileb.dat", "file<abc>.dat"));
    EXPECT_FALSE(WildcardMatch("fileb.dat", "file<^abc>.dat"));
    EXPECT_FALSE(WildcardMatch("file1", "file<>"));   // an empty set
    EXPECT_FALSE(WildcardMatch("file1", "file<0-9"));  // unterminated
    EXPECT_TRUE(WildcardMatch("", "*"));
    EXPECT_FALSE(WildcardMatch("", "?"));
    EXPECT_FALSE(WildcardMatch("abc", ""));
    // Many stars against a long text finish quickly (no exponential backtracking).
    EXPECT_FALSE(WildcardMatch(std::string(5000, 'a'), "*a*a*a*a*a*a*a*a*b"));
}

TEST(EngineTest, DestDirAndZipNameDialogs) {
    TUnZipper zip;
    auto dialogs = std::make_shared<ScriptedDialogs>();
    zip.SetDialogs(dialogs);
    zip.SetDestDir("C:\\Target\\");
    EXPECT_EQ(zip.DestDir(), "C:\\Target");
    try {
        zip.SetDestDir("?");
        FAIL() << "no error";
    } catch (const EUserCanceled& e) {
        EXPECT_STREQ(e.what(), "User canceled Set Desination Directory");
    }
    EXPECT_EQ(zip.DestDir(), "C:\\Target");
    dialogs->folderChosen = true;
    dialogs->folder = "D:\\Chosen\\";
    zip.SetDestDir("?");
    EXPECT_EQ(zip.DestDir(), "D:\\Chosen");

    dialogs->folderChosen = false;
    zip.SetZipName("first.zip");
    try {
        zip.SetZipName("C:\\somewhere\\?");
        FAIL() << "no error";
    } catch (const EUserCanceled& e) {
        EXPECT_STREQ(e.what(), "User canceled setting zip file name.");
    }
    EXPECT_EQ(zip.ZipName(), "first.zip");
    dialogs->folderChosen = true;
    dialogs->folder = "picked.zip";
    zip.SetZipName("?");
    EXPECT_EQ(zip.ZipName(), "picked.zip");
    EXPECT_EQ(zip.ComponentVersion(), 100);
    zip.SetComponentVersion(7);
    EXPECT_EQ(zip.ComponentVersion(), 100);
}
