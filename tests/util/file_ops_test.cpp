#include "util/file_ops.h"

#include <gtest/gtest.h>

#include <set>

#include "support/temp_folder.h"
#include "util/path.h"

TEST(FileOpsTest, FileExistsIsFalseForFoldersAndTrueForHiddenFiles) {
    TempFolder dir;
    WriteBytes(dir / L"hidden.txt", "x");
    ASSERT_TRUE(SetFileAttributesW((dir / L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    CreateDirectoryW((dir / L"sub").c_str(), nullptr);

    EXPECT_TRUE(FileExistsW(dir / L"hidden.txt"));
    EXPECT_FALSE(FileExistsW(dir / L"sub"));
    EXPECT_FALSE(FileExistsW(dir / L"missing.txt"));
    EXPECT_TRUE(FileExistsW(dir / L"hid*.txt"));  // a wildcard whose first match is a file
    EXPECT_FALSE(FileExistsW(dir / L"su?"));      // ... or a folder

    EXPECT_TRUE(FolderExists(dir / L"sub"));
    EXPECT_TRUE(FolderExists(dir / L"sub\\"));
    EXPECT_FALSE(FolderExists(dir / L"hidden.txt"));
    EXPECT_FALSE(FolderExists(dir / L"missing"));
}

TEST(FileOpsTest, CreateRenameAndRemoveReportByTheirResult) {
    TempFolder dir;
    EXPECT_TRUE(CreateFolder(dir / L"one"));
    EXPECT_FALSE(CreateFolder(dir / L"one"));             // exists already
    EXPECT_FALSE(CreateFolder(dir / L"two\\three"));      // no parents are made
    EXPECT_FALSE(FolderExists(dir / L"two"));

    WriteBytes(dir / L"a.txt", "first");
    WriteBytes(dir / L"b.txt", "second");
    EXPECT_FALSE(RenameFile(dir / L"a.txt", dir / L"b.txt"));  // the target exists
    EXPECT_EQ(ReadBytes(dir / L"b.txt"), "second");
    EXPECT_TRUE(RenameFile(dir / L"a.txt", dir / L"one\\c.txt"));
    EXPECT_EQ(ReadBytes(dir / L"one\\c.txt"), "first");
    EXPECT_FALSE(FileExistsW(dir / L"a.txt"));

    EXPECT_TRUE(RemoveFile(dir / L"b.txt"));
    EXPECT_FALSE(FileExistsW(dir / L"b.txt"));
    EXPECT_FALSE(RemoveFile(dir / L"b.txt"));
    EXPECT_FALSE(RemoveFile(dir / L"one"));  // a folder is not a file
}

TEST(FileOpsTest, ModulePathAndSystemFolders) {
    std::wstring self = ModulePath();
    EXPECT_TRUE(FileExistsW(self));
    EXPECT_EQ(SetupFolder(), ExtractFolder(self));
    EXPECT_EQ(SetupFolder().back(), L'\\');

    std::wstring common = CommonAppDataFolder();
    ASSERT_FALSE(common.empty());
    EXPECT_NE(common.back(), L'\\');
    EXPECT_TRUE(FolderExists(common));
}

TEST(FileOpsTest, FindEntriesSkipsHiddenSystemAndFoldersUnlessWanted) {
    TempFolder dir;
    WriteBytes(dir / L"plain.txt", "12345");
    WriteBytes(dir / L"ro.txt", "");
    WriteBytes(dir / L"hidden.txt", "");
    WriteBytes(dir / L"system.txt", "");
    CreateDirectoryW((dir / L"folder").c_str(), nullptr);
    SetFileAttributesW((dir / L"ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW((dir / L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW((dir / L"system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);

    auto names = [&](DWORD wanted) {
        std::set<std::wstring> found;
        TFindEntries entries(dir / L"*", wanted);
        TFindEntry entry;
        while (entries.Next(entry)) found.insert(entry.name);
        EXPECT_FALSE(entries.Next(entry));  // stays at its end
        return found;
    };
    EXPECT_EQ(names(0), (std::set<std::wstring>{L"plain.txt", L"ro.txt"}));
    EXPECT_EQ(names(faHidden), (std::set<std::wstring>{L"plain.txt", L"ro.txt", L"hidden.txt"}));
    EXPECT_EQ(names(faDirectory), (std::set<std::wstring>{L".", L"..", L"folder", L"plain.txt", L"ro.txt"}));
    EXPECT_EQ(names(faAnyFile).size(), 7u);

    TFindEntries one(dir / L"plain.txt", 0);
    TFindEntry entry;
    ASSERT_TRUE(one.Next(entry));
    EXPECT_EQ(entry.size, 5u);
    EXPECT_NE(entry.time, 0u);
    EXPECT_EQ(entry.attributes & faDirectory, 0u);
    EXPECT_FALSE(one.Next(entry));

    TFindEntries none(dir / L"nothing-*", faAnyFile);
    EXPECT_FALSE(none.Next(entry));
}
