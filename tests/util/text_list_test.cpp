#include "util/text_list.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "util/win_error.h"

using Lines = std::vector<std::wstring>;

TEST(TextListTest, DetectsTheByteOrderMark) {
    EXPECT_EQ(DecodeTextList(std::string("\xFF\xFE" "a\0\xe9\0\r\0\n\0b\0", 12)), (Lines{L"a\u00e9", L"b"}));
    EXPECT_EQ(DecodeTextList(std::string("\xFE\xFF\0a\x04\x10\0\n\0b", 10)), (Lines{L"a\u0410", L"b"}));
    EXPECT_EQ(DecodeTextList("\xEF\xBB\xBF" "\xC3\xA9t\xC3\xA9\nx"), (Lines{L"\u00e9t\u00e9", L"x"}));
    // Without a mark the bytes are in the ANSI code page (1252 here: 0xE9 is e-acute).
    EXPECT_EQ(DecodeTextList("caf\xE9\r\n"), (Lines{L"caf\u00e9"}));
}

TEST(TextListTest, SplitsAtEveryKindOfLineBreak) {
    EXPECT_EQ(DecodeTextList("a\r\nb\rc\nd"), (Lines{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(DecodeTextList("a\r\n\r\nb\n"), (Lines{L"a", L"", L"b"}));  // CR LF counts once
    EXPECT_EQ(DecodeTextList("a\n\r"), (Lines{L"a", L""}));                // LF CR is two breaks
    EXPECT_EQ(DecodeTextList(std::string("\xFF\xFE" "a\0\x28\x20" "b\0", 8)), (Lines{L"a", L"b"}));  // U+2028
    EXPECT_EQ(DecodeTextList("  spaced \t\n"), (Lines{L"  spaced \t"}));  // not trimmed
    EXPECT_EQ(DecodeTextList(""), Lines{});
    EXPECT_EQ(DecodeTextList("\n"), (Lines{L""}));
    EXPECT_EQ(DecodeTextList("\xFF\xFE"), Lines{});
}

TEST(TextListTest, NulEndsTheTextAndOddBytesAreSafe) {
    EXPECT_EQ(DecodeTextList(std::string("a\nb\0c\nd", 7)), (Lines{L"a", L"b"}));
    EXPECT_EQ(DecodeTextList(std::string("\xFF\xFE" "a\0\0\0b\0", 8)), (Lines{L"a"}));
    // An odd trailing byte of UTF-16 text is not read as half a character.
    EXPECT_EQ(DecodeTextList(std::string("\xFF\xFE" "a\0b", 5)), (Lines{L"a"}));
    EXPECT_EQ(DecodeTextList(std::string("\xFE\xFF" "\0a" "\x01", 5)), (Lines{L"a"}));
    EXPECT_EQ(DecodeTextList(std::string("\xFF\xFE" "\x01", 3)), Lines{});
}

TEST(TextListTest, WritesUtf16WithMarkAndCrLfAfterEveryLine) {
    EXPECT_EQ(EncodeTextList({}), "\xFF\xFE");
    EXPECT_EQ(EncodeTextList({L"A", L""}), std::string("\xFF\xFE" "A\0\r\0\n\0\r\0\n\0", 12));

    TempFolder dir;
    Lines lines{L"Invoices", L"\u0421\u0447\u0435\u0442\u0430", L"", L" padded "};
    WriteTextList(dir / L"Index.dat", lines);
    EXPECT_EQ(ReadTextList(dir / L"Index.dat"), lines);
    WriteTextList(dir / L"Index.dat", {L"x"});  // replaces the file
    EXPECT_EQ(ReadBytes(dir / L"Index.dat"), std::string("\xFF\xFE" "x\0\r\0\n\0", 8));
    WriteTextList(dir / L"Index.txt", {});
    EXPECT_EQ(ReadBytes(dir / L"Index.txt"), "\xFF\xFE");
}

TEST(TextListTest, UnreadableAndUnwritableFilesRaiseWithThePath) {
    TempFolder dir;
    try {
        ReadTextList(dir / L"missing.dat");
        FAIL() << "no error for a missing file";
    } catch (const EOSError& e) {
        EXPECT_NE(e.Message().find(dir / L"missing.dat"), std::wstring::npos);
        EXPECT_EQ(e.Code(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    }
    WriteBytes(dir / L"busy.dat", "keep");
    {
        LockedFile lock(dir / L"busy.dat");
        EXPECT_THROW(WriteTextList(dir / L"busy.dat", {L"x"}), EOSError);
        EXPECT_THROW(ReadTextList(dir / L"busy.dat"), EOSError);
    }
    EXPECT_EQ(ReadBytes(dir / L"busy.dat"), "keep");
    EXPECT_THROW(WriteTextList(dir / L"no\\such\\folder.dat", {L"x"}), EOSError);
}
