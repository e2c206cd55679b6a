#include <gtest/gtest.h>

#include <ctime>

#include "unzip/errors.h"
#include "unzip/unzip_test_support.h"
#include "unzip/unzipper.h"

namespace {

std::string Name(const fs::path& p) { return Native(p); }

uint32_t Dos(int year, int month, int day, int hour, int minute, int second) {
    return (uint32_t((year - 1980) << 9 | month << 5 | day) << 16) | uint32_t(hour << 11 | minute << 5 | second / 2);
}

CraftedEntry Stored(const std::string& name, const std::string& data) {
    CraftedEntry e;
    e.name = name;
    e.data = data;
    return e;
}

// Reads a directory and returns its paths in index order.
std::vector<std::string> Paths(TUnZipper& zip) {
    std::vector<std::string> paths;
    for (int32_t i = 0; i < zip.Count(); ++i) paths.push_back(zip.DirectoryName(i) + zip.FileName(i));
    return paths;
}

template <class E>
std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace

TEST(DirectoryTest, ReadsInfoZipArchivesWithNamesSplitAndDatesKept) {
    TUnZipper zip;
    zip.SetZipName(Name(TestData() / "deflate9.zip"));
    EXPECT_EQ(zip.Count(), 0);  // nothing is read before it is needed
    zip.ReadDirectory();
    ASSERT_EQ(zip.Count(), 11);
    bool sawNotes = false, sawEmptyDir = false;
    for (int32_t i = 0; i < zip.Count(); ++i) {
        const TZipEntryInfo& e = zip.Entry(i);
        if (zip.FileName(i) == "notes.txt") {
            sawNotes = true;
            EXPECT_EQ(zip.DirectoryName(i), "docs\\");
            EXPECT_EQ(e.dateTime, Dos(2023, 11, 30, 23, 59, 58));
            EXPECT_EQ(e.uncompressedSize, 18u);
            EXPECT_EQ(e.method, 8);
        }
        if (zip.DirectoryName(i) == "empty-dir\\") {
            sawEmptyDir = true;
            EXPECT_EQ(zip.FileName(i), "");  // a directory entry
        }
        if (i > 0) {
            EXPECT_LT(zip.Entry(i - 1).localHeaderOffset, e.localHeaderOffset);
        }
    }
    EXPECT_TRUE(sawNotes);
    EXPECT_TRUE(sawEmptyDir);
    EXPECT_EQ(zip.EndRecord().totalEntries, 11);
    EXPECT_EQ(zip.NumberOfDisks(), 1);
    EXPECT_EQ(MessageOf<EListError>([&] { zip.FileName(11); }), "Index 11 is out of range");
    EXPECT_EQ(MessageOf<EListError>([&] { zip.DirectoryName(-1); }), "Index -1 is out of range");
}

TEST(DirectoryTest, EmptyShortAndMissingArchives) {
    TempDir dir;
    WriteFile(dir / "empty.zip", "");
    WriteFile(dir / "ten.zip", "0123456789");
    TUnZipper zip;
    zip.SetZipName(Name(dir / "empty.zip"));
    zip.ReadDirectory();
    EXPECT_EQ(zip.Count(), 0);
    EXPECT_EQ(zip.UnZip(), 0);

    TUnZipper ten;
    ten.SetZipName(Name(dir / "ten.zip"));
    EXPECT_EQ(MessageOf<EIncompleteZip>([&] { ten.UnZip(); }), "Incomplete Zip File");
    ten.IncompleteZipMode = izAssumeNotAZip;
    EXPECT_EQ(MessageOf<ENotAZipFile>([&] { ten.UnZip(); }), "Not a valid zip file!");
    ten.IncompleteZipMode = izAssumeBad;  // nothing to recover: closed for good
    EXPECT_EQ(MessageOf<EBadZipFile>([&] { ten.UnZip(); }), "Not a valid zip file!");
    EXPECT_EQ(ten.ZipName(), "");

    TUnZipper missing;
    missing.SetZipName(Name(dir / "missing.zip"));
    EXPECT_THROW(missing.UnZip(), EFOpenError);
}

TEST(DirectoryTest, TheEndRecordIsFoundBehindTheLongestCommentButNoFurther) {
    TempDir dir;
    const std::string longest(65535, 'c');
    WriteFile(dir / "comment.zip", BuildArchive({Stored("a.txt", "alpha")}, longest));
    TUnZipper zip;
    zip.SetZipName(Name(dir / "comment.zip"));
    zip.ReadDirectory();
    EXPECT_EQ(zip.Count(), 1);
    EXPECT_EQ(zip.ZipComment(), longest);

    // 65536 bytes after the record: beyond the 65557-byte tail.
    WriteFile(dir / "far.zip", BuildArchive({Stored("a.txt", "alpha")}) + std::string(65536, 'x'));
    TUnZipper far;
    far.SetZipName(Name(dir / "far.zip"));
    EXPECT_THROW(far.ReadDirectory(), EIncompleteZip);
}

TEST(DirectoryTest, TheSignatureNearestTheEndWins) {
    TempDir dir;
    // The comment ends in another end record that announces no entries.
    std::string fake("PK\x05\x06", 4);
    fake += std::string(18, '\0');
    WriteFile(dir / "two.zip", BuildArchive({Stored("a.txt", "alpha"), Stored("b.txt", "beta")}, "note " + fake));
    TUnZipper zip;
    zip.SetZipName(Name(dir / "two.zip"));
    zip.ReadDirectory();
    EXPECT_EQ(zip.Count(), 0);
}

TEST(DirectoryTest, StoredNamesBecomeDirectoryAndFileName) {
    TempDir dir;
    WriteFile(dir / "names.zip", BuildArchive({Stored("docs/readme.txt", "r"), Stored("docs/", ""),
                                               Stored("top.txt", "t"), Stored("a\\b/c.txt", "c")}));
    TUnZipper zip;
    zip.SetZipName(Name(dir / "names.zip"));
    zip.ReadDirectory();
    ASSERT_EQ(zip.Count(), 4);
    EXPECT_EQ(zip.DirectoryName(0), "docs\\");
    EXPECT_EQ(zip.FileName(0), "readme.txt");
    EXPECT_EQ(zip.DirectoryName(1), "docs\\");
    EXPECT_EQ(zip.FileName(1), "");
    EXPECT_EQ(zip.DirectoryName(2), "");
    EXPECT_EQ(zip.FileName(2), "top.txt");
    EXPECT_EQ(zip.DirectoryName(3), "a\\b\\");
    EXPECT_EQ(zip.Entry(3).fileNameLength, 9);
}

TEST(DirectoryTest, DatesAreSanitizedOnlyWhenOutOfRange) {
    // Month 0, day 0 and hour 25 read back as month 1, day 1 and hour 23.
    const uint32_t bad = (uint32_t((2001 - 1980) << 9 | 0 << 5 | 0) << 16) | (25u << 11 | 30u << 5 | 10u);
    EXPECT_EQ(SanitizeDosDateTime(bad), Dos(2001, 1, 1, 23, 30, 20));
    EXPECT_EQ(SanitizeDosDateTime(Dos(2024, 2, 29, 12, 0, 58)), Dos(2024, 2, 29, 12, 0, 58));
    // Minute 63 and second 62 are clamped to 59; year 2107 to 2099; month 15 to 12.
    const uint32_t wild = (uint32_t(127u << 9 | 15u << 5 | 31u) << 16) | (23u << 11 | 63u << 5 | 31u);
    EXPECT_EQ(SanitizeDosDateTime(wild), Dos(2099, 12, 31, 23, 59, 58));
    EXPECT_EQ(SanitizeDosDateTime(0), Dos(1980, 1, 1, 0, 0, 0));

    TempDir dir;
    CraftedEntry e = Stored("x.txt", "x");
    e.dosDateTime = bad;
    WriteFile(dir / "date.zip", BuildArchive({e}));
    TUnZipper zip;
    zip.SetZipName(Name(dir / "date.zip"));
    zip.ReadDirectory();
    EXPECT_EQ(zip.Entry(0).dateTime, Dos(2001, 1, 1, 23, 30, 20));
}

TEST(DirectoryTest, EntriesAreIndexedInLocalHeaderOrderAndDuplicatesFail) {
    TempDir dir;
    std::string archive = BuildArchive({Stored("first", "1"), Stored("second", "22"), Stored("third", "333")});
    // Reverse the three central records (each 46 bytes plus its name).
    const size_t end = archive.size() - 22, c0 = archive.find("PK\x01\x02");
    const size_t c1 = archive.find("PK\x01\x02", c0 + 4), c2 = archive.find("PK\x01\x02", c1 + 4);
    std::string reversed = archive.substr(0, c0) + archive.substr(c2, end - c2) + archive.substr(c1, c2 - c1) +
                           archive.substr(c0, c1 - c0) + archive.substr(end);
    WriteFile(dir / "reversed.zip", reversed);
    TUnZipper zip;
    zip.SetZipName(Name(dir / "reversed.zip"));
    zip.ReadDirectory();
    EXPECT_EQ(Paths(zip), (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(zip.Entry(0).centralRecordOffset, c0 + (end - c2) + (c2 - c1));

    // Two central records naming the same local header.
    std::string dup = archive.substr(0, c1);
    dup += archive.substr(c0, c1 - c0) + archive.substr(c2, end - c2);
    dup += archive.substr(end);
    WriteFile(dir / "dup.zip", dup);
    TUnZipper dupZip;
    dupZip.SetZipName(Name(dir / "dup.zip"));
    EXPECT_EQ(MessageOf<EListError>([&] { dupZip.ReadDirectory(); }), "Duplicate Object index");
}

TEST(DirectoryTest, SortViewsOrderTheIndexAndKeepTies) {
    TempDir dir;
    std::vector<CraftedEntry> entries = {Stored("B/zeta.txt", std::string(300, 'z')), Stored("a/Alpha.txt", "aa"),
                                         Stored("c/beta.txt", std::string(300, 'b')), Stored("a/gamma.txt", "g")};
    entries[0].dosDateTime = Dos(2020, 1, 1, 0, 0, 0);
    entries[1].dosDateTime = Dos(2022, 1, 1, 0, 0, 0);
    entries[2].dosDateTime = Dos(2020, 1, 1, 0, 0, 0);
    entries[3].dosDateTime = Dos(2021, 1, 1, 0, 0, 0);
    WriteFile(dir / "sort.zip", BuildArchive(entries));
    TUnZipper zip;
    zip.SetZipName(Name(dir / "sort.zip"));
    zip.ReadDirectory();
    zip.SetSortMode(ByName);
    EXPECT_EQ(Paths(zip), (std::vector<std::string>{"a\\Alpha.txt", "a\\gamma.txt", "B\\zeta.txt", "c\\beta.txt"}));
    zip.SetSortMode(ByFileName);
    EXPECT_EQ(Paths(zip), (std::vector<std::string>{"a\\Alpha.txt", "c\\beta.txt", "a\\gamma.txt", "B\\zeta.txt"}));
    // Equal directories: the later entry goes before the earlier one.
    zip.SetSortMode(ByDirectoryName);
    EXPECT_EQ(Paths(zip), (std::vector<std::string>{"a\\gamma.txt", "a\\Alpha.txt", "B\\zeta.txt", "c\\beta.txt"}));
    // Newest first; equal dates keep their physical order.
    zip.SetSortMode(ByDate);
    EXPECT_EQ(Paths(zip), (std::vector<std::string>{"a\\Alpha.txt", "a\\gamma.txt", "B\\zeta.txt", "c\\beta.txt"}));
    zip.SetSortMode(ByUnCompressedSize);
    EXPECT_EQ(Paths(zip), (std::vector<std::string>{"B\\zeta.txt", "c\\beta.txt", "a\\Alpha.txt", "a\\gamma.txt"}));
    zip.SetSortMode(ByNone);
    EXPECT_EQ(Paths(zip), (std::vector<std::string>{"B\\zeta.txt", "a\\Alpha.txt", "c\\beta.txt", "a\\gamma.txt"}));
}

TEST(DirectoryTest, ZipNameChangesAndArchiveTimesDecideWhenToReadAgain) {
    TempDir dir;
    WriteFile(dir / "one.zip", BuildArchive({Stored("a", "1")}));
    WriteFile(dir / "two.zip", BuildArchive({Stored("a", "1"), Stored("b", "2")}));
    TUnZipper zip;
    zip.SetZipName(Name(dir / "one.zip"));
    zip.ReadDirectory();
    EXPECT_EQ(zip.Count(), 1);
    std::string upper = Name(dir / "one.zip");
    upper.replace(upper.size() - 7, 7, "ONE.ZIP");
    zip.SetZipName(upper);  // the same name in other letter case keeps the directory
    EXPECT_EQ(zip.Count(), 1);
    zip.SetZipName(Name(dir / "two.zip"));
    EXPECT_EQ(zip.Count(), 0);
    zip.ReadDirectory();
    EXPECT_EQ(zip.Count(), 2);

    // New content with the old time: the directory read stays in use.
    const auto stamp = fs::last_write_time(dir / "two.zip");
    WriteFile(dir / "two.zip", BuildArchive({Stored("a", "1"), Stored("b", "2"), Stored("c", "3")}));
    fs::last_write_time(dir / "two.zip", stamp);
    zip.ReadDirectory();
    EXPECT_EQ(zip.Count(), 2);
    // Touched: read again.
    fs::last_write_time(dir / "two.zip", stamp + std::chrono::hours(1));
    zip.ReadDirectory();
    EXPECT_EQ(zip.Count(), 3);
}

TEST(DirectoryTest, DamagedArchivesFailWithTheirTextsUnlessRecovered) {
    const std::string good = ReadFile(TestData() / "deflate1.zip");
    TempDir dir;

    // The end record's central offset points at something else.
    std::string badOffset = good;
    const size_t endAt = badOffset.rfind("PK\x05\x06");
    badOffset[endAt + 16] = static_cast<char>(badOffset[endAt + 16] + 1);
    WriteFile(dir / "offset.zip", badOffset);
    // A central record's signature is broken.
    std::string badCentral = good;
    const size_t centralAt = badCentral.find("PK\x01\x02");
    badCentral[centralAt + 2] = 9;
    WriteFile(dir / "central.zip", badCentral);
    // Cut inside the central directory: no end record.
    WriteFile(dir / "cut.zip", good.substr(0, centralAt + 100));

    for (const char* name : {"offset.zip", "central.zip"}) {
        TUnZipper zip;
        zip.SetZipName(Name(dir / name));
        EXPECT_EQ(MessageOf<EBadZipFile>([&] { zip.UnZip(); }), "Not a valid zip file!") << name;
    }
    TUnZipper cut;
    cut.SetZipName(Name(dir / "cut.zip"));
    EXPECT_EQ(MessageOf<EIncompleteZip>([&] { cut.UnZip(); }), "Incomplete Zip File");

    // The handler is asked first and its choice stays: the scan recovers every member.
    for (const char* name : {"offset.zip", "central.zip", "cut.zip"}) {
        TUnZipper zip;
        int asked = 0;
        zip.OnIncompleteZip = [&](TUnZipper&, TIncompleteZipMode& mode) {
            ++asked;
            EXPECT_EQ(mode, izAssumeMulti);
            mode = izAssumeBad;
        };
        TempDir out;
        zip.SetZipName(Name(dir / name));
        zip.SetDestDir(out.Str());
        zip.DoAll = true;
        zip.RecreateDirs = true;
        zip.OverwriteMode = Always;
        EXPECT_EQ(zip.UnZip(), 7) << name;
        EXPECT_EQ(asked, 1) << name;
        EXPECT_EQ(zip.IncompleteZipMode, izAssumeBad);
        EXPECT_TRUE(zip.Recovered());
        EXPECT_EQ(TreeFiles(out.Path()), TreeFiles(TestData() / "tree")) << name;
    }
}

TEST(DirectoryTest, CommentsAreReadOnRequest) {
    TUnZipper zip;
    zip.SetZipName(Name(TestData() / "comments.zip"));
    zip.ReadDirectory();
    ASSERT_EQ(zip.Count(), 2);
    EXPECT_FALSE(zip.Entry(0).comment.has_value());
    EXPECT_EQ(zip.FileComment(0), "first comment");
    EXPECT_EQ(zip.FileComment(1), "second comment");
    EXPECT_EQ(zip.ZipComment(), "The archive comment");
}

TEST(DirectoryTest, ACompanionFileHoldsTheDirectoryOfAnArchiveWithoutOne) {
    const std::string good = ReadFile(TestData() / "deflate9.zip");
    const size_t centralAt = good.find("PK\x01\x02");
    TempDir dir;
    WriteFile(dir / "data.zip", good.substr(0, centralAt));
    WriteFile(dir / "data.zcd", good.substr(centralAt));
    TUnZipper zip;
    TempDir out;
    zip.SetZipName(Name(dir / "data.zip"));
    zip.SetDestDir(out.Str());
    zip.DoAll = zip.RecreateDirs = true;
    EXPECT_EQ(zip.UnZip(), 7);
    EXPECT_EQ(TreeFiles(out.Path()), TreeFiles(TestData() / "tree"));
}

TEST(DirectoryTest, SpannedArchivesAskForNumberedDisks) {
    TempDir dir;
    for (const char* name : {"spanned.001", "spanned.002", "spanned.003", "spanned.zip"})
        fs::copy_file(TestData() / "spanned" / name, dir / name);
    TUnZipper zip;
    TempDir out;
    std::vector<int32_t> asked;
    TGetNextDiskEvent builtIn = zip.OnGetNextDisk;
    zip.OnGetNextDisk = [&](TUnZipper& z, int32_t disk, std::string& name) {
        asked.push_back(disk);
        builtIn(z, disk, name);
    };
    zip.SetZipName(Name(dir / "spanned.zip"));
    zip.SetDestDir(out.Str());
    zip.DoAll = zip.RecreateDirs = true;
    EXPECT_EQ(zip.UnZip(), 7);
    EXPECT_EQ(zip.SpanMode(), spNumberedFiles);
    EXPECT_EQ(zip.NumberOfDisks(), 3);
    EXPECT_EQ(TreeFiles(out.Path()), TreeFiles(TestData() / "tree"));
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.front(), 1);

    // A disk that is not there ends the run as cancelled.
    fs::remove(dir / "spanned.002");
    TUnZipper broken;
    TempDir out2;
    broken.SetZipName(Name(dir / "spanned.zip"));
    broken.SetDestDir(out2.Str());
    broken.DoAll = broken.RecreateDirs = true;
    EXPECT_EQ(MessageOf<EUserCanceled>([&] { broken.UnZip(); }), "User canceled loading new disk.");
}
