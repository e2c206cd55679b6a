#include "util/path.h"

#include <gtest/gtest.h>

TEST(PathTest, ExtractFolderAndNameSplitAtBackslashOrColon) {
    EXPECT_EQ(ExtractFolder(L"C:\\a\\b.txt"), L"C:\\a\\");
    EXPECT_EQ(ExtractFolder(L"C:"), L"C:");
    EXPECT_EQ(ExtractFolder(L"C:b.txt"), L"C:");
    EXPECT_EQ(ExtractFolder(L"b.txt"), L"");
    EXPECT_EQ(ExtractFolder(L"a/b.txt"), L"");  // the forward slash is not a separator
    EXPECT_EQ(ExtractName(L"C:\\a\\b.txt"), L"b.txt");
    EXPECT_EQ(ExtractName(L"C:b.txt"), L"b.txt");
    EXPECT_EQ(ExtractName(L"b.txt"), L"b.txt");
    EXPECT_EQ(ExtractName(L"C:\\a\\"), L"");
    EXPECT_EQ(ExtractName(L"a/b.txt"), L"a/b.txt");
}

TEST(PathTest, ChangeExtensionUsesTheLastDotAfterTheLastSeparator) {
    EXPECT_EQ(ChangeExtension(L"a.b\\c", L""), L"a.b\\c");
    EXPECT_EQ(ChangeExtension(L"c.tar.gz", L""), L"c.tar");
    EXPECT_EQ(ChangeExtension(L".ini", L""), L"");
    EXPECT_EQ(ChangeExtension(L"x\\Setup.exe", L".ini"), L"x\\Setup.ini");
    EXPECT_EQ(ChangeExtension(L"readme", L".txt"), L"readme.txt");
    EXPECT_EQ(ChangeExtension(L"d.x:name", L".bak"), L"d.x:name.bak");
}

TEST(PathTest, IncludeBackslashAndDotEntries) {
    EXPECT_EQ(IncludeBackslash(L"C:\\a"), L"C:\\a\\");
    EXPECT_EQ(IncludeBackslash(L"C:\\a\\"), L"C:\\a\\");
    EXPECT_EQ(IncludeBackslash(L""), L"\\");
    EXPECT_TRUE(IsDotEntry(L"."));
    EXPECT_TRUE(IsDotEntry(L".."));
    EXPECT_FALSE(IsDotEntry(L"..."));
    EXPECT_FALSE(IsDotEntry(L".ini"));
}

TEST(PathTest, ReplaceAllIsCaseSensitiveAndDoesNotRescanReplacements) {
    EXPECT_EQ(ReplaceAll(L"aXaXa", L"X", L"XX"), L"aXXaXXa");
    EXPECT_EQ(ReplaceAll(L"aXaXa", L"x", L"y"), L"aXaXa");
    EXPECT_EQ(ReplaceAll(L"Zantivo.exe and Zantivo", L"Zantivo", L"Acme"), L"Acme.exe and Acme");
    EXPECT_EQ(ReplaceAll(L"aaa", L"aa", L"b"), L"ba");
    EXPECT_EQ(ReplaceAll(L"", L"a", L"b"), L"");
    EXPECT_EQ(ReplaceAll(L"abc", L"", L"z"), L"abc");
    EXPECT_EQ(ReplaceAll(L"abc", L"b", L""), L"ac");
}

TEST(PathTest, UpperCaseAndNameInListFollowThePlatformsLetterCase) {
    EXPECT_EQ(UpperCaseW(L"c:\\program files\\zantivo\u00e9"), L"C:\\PROGRAM FILES\\ZANTIVO\u00c9");
    EXPECT_EQ(UpperCaseW(L""), L"");
    EXPECT_TRUE(NameInList(L"a.ini", {L"B.INI", L"A.INI"}));
    EXPECT_FALSE(NameInList(L"a.ini", {L"a.in", L"aa.ini"}));
    EXPECT_FALSE(NameInList(L"a.ini", {}));
}
