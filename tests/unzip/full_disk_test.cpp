// A write that fails for want of room, on a disk of 5 MB: the run ends with
// an error that names the file and the system's reason, the partly written
// file is gone, and the files finished before it stay, each announced as
// finished. Under Wine the disk is a drive letter mapped to a tmpfs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

#include "unzip/errors.h"
#include "unzip/small_disk.h"
#include "unzip/unzip_test_support.h"
#include "unzip/unzipper.h"

namespace {

// The system's own words for a full disk.
std::string DiskFullReason() {
#ifdef _WIN32
    char text[256] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_DISK_FULL,
                                  0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' ')) --length;
    return std::string(text, length);
#else
    return std::strerror(ENOSPC);
#endif
}

CraftedEntry Entry(const std::string& name, const std::string& data, const std::string& password = "") {
    CraftedEntry entry;
    entry.name = name;
    entry.data = data;
    entry.password = password;
    return entry;
}

struct FullDiskCase {
    const char* what;
    uint64_t leaveFree;  // the disk is filled up to this first; 0: the whole disk is free
    std::vector<CraftedEntry> entries;
    std::string failing;  // the entry whose write fails; those before it fit
};

TEST(FullDiskTest, AWriteThatFailsEndsTheRunNamingTheFileAndLeavesNoPartOfIt) {
    SmallDisk disk;
    if (!disk.Refusal().empty()) GTEST_SKIP() << disk.Refusal();
    ASSERT_TRUE(disk.Fault().empty()) << disk.Fault();

    const std::vector<FullDiskCase> cases = {
        // Written in many blocks as it is decrypted; the disk fills half way.
        {"a stored encrypted entry larger than the disk", 0,
         {Entry("readme.txt", "read me"), Entry("media/scan.tif", Incompressible(6 << 20), "417263"), Entry("z.txt", "z")},
         "media/scan.tif"},
        // Smaller than its buffer: the whole file goes out when it is finished.
        {"a small entry on a nearly full disk", 64 << 10,
         {Entry("readme.txt", "read me"), Entry("bin/tool.dll", Incompressible(200 << 10)), Entry("z.txt", "z")},
         "bin/tool.dll"},
    };
    for (const FullDiskCase& c : cases) {
        SCOPED_TRACE(c.what);
        disk.Clear();
        TempDir source;
        WriteFile(source / "payload.zip", BuildArchive(c.entries));
        if (c.leaveFree > 0) disk.FillLeaving(c.leaveFree);
        const fs::path out = disk.Root() / "out";

        TUnZipper zip;
        zip.SetZipName(Native(source / "payload.zip"));
        zip.SetDestDir(Native(out));
        zip.Password = "417263";
        zip.RecreateDirs = true;
        zip.DoAll = true;
        zip.OverwriteMode = Always;
        std::vector<std::string> events;
        zip.OnEndUnZip = [&](TUnZipper& z, int32_t i, const std::string&) { events.push_back("end " + z.FileName(i)); };
        zip.OnSkippingFile = [&](TUnZipper& z, TSkipReason, const std::string&, int32_t i, bool&) {
            events.push_back("skip " + z.FileName(i));
        };
        zip.OnUnZipComplete = [&](TUnZipper&, int32_t n) { events.push_back("complete " + std::to_string(n)); };

        std::string stored = c.failing;
        std::replace(stored.begin(), stored.end(), '/', '\\');
        const std::string failing = Native(out) + "\\" + stored;  // as the component joins it
        try {
            zip.UnZip();
            ADD_FAILURE() << "the extraction ended without an error";
        } catch (const EWriteError& error) {
            EXPECT_EQ(error.Path(), failing);
            EXPECT_STREQ(error.what(), ("Cannot write file \"" + failing + "\". " + DiskFullReason()).c_str());
        }
        // Only what was finished is there, whole; nothing of the failed file.
        std::vector<std::string> names;
        for (const auto& [name, data] : TreeFiles(out)) names.push_back(name + " " + std::to_string(data.size()));
        EXPECT_EQ(names, std::vector<std::string>{"readme.txt 7"});
        EXPECT_EQ(ReadFile(out / "readme.txt"), "read me");
        EXPECT_EQ(events, (std::vector<std::string>{"end readme.txt", "complete 1"}));
    }
}

}  // namespace
