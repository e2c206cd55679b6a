#include "localisation/text_split.h"

#include <gtest/gtest.h>

TEST(TextSplitTest, SplitKeepsEmptyPartsAndTheRemainder) {
    TWideStringList list;
    list.Add(L"old");
    SplitText(list, std::wstring(L"EN||KO||JA"));
    EXPECT_EQ(list.Texts(), (std::vector<std::wstring>{L"EN", L"KO", L"JA"}));
    SplitText(list, std::wstring(L""));
    EXPECT_EQ(list.Texts(), std::vector<std::wstring>{L""});
    SplitText(list, std::wstring(L"a||"));
    EXPECT_EQ(list.Texts(), (std::vector<std::wstring>{L"a", L""}));
    SplitText(list, std::wstring(L"a|||b"));  // the first "||" wins
    EXPECT_EQ(list.Texts(), (std::vector<std::wstring>{L"a", L"|b"}));
    SplitText(list, std::wstring(L"aXXb"), std::wstring(L"xx"));  // case-sensitive
    EXPECT_EQ(list.Texts(), std::vector<std::wstring>{L"aXXb"});

    TAnsiStringList narrow;
    SplitText(narrow, std::string("x||y"), std::string("||"));
    EXPECT_EQ(narrow.Texts(), (std::vector<std::string>{"x", "y"}));
}

TEST(TextSplitTest, JoinCutsTheFinalSeparatorOnly) {
    TWideStringList list;
    EXPECT_EQ(JoinText(list), L"");
    list.Add(L"a");
    list.Add(L"b");
    EXPECT_EQ(JoinText(list), L"a||b");
    list.Clear();
    list.Add(L"");
    EXPECT_EQ(JoinText(list), L"");
    list.Add(L"");
    EXPECT_EQ(JoinText(list), L"||");
}

TEST(TextSplitTest, CleanRemovesBlankEntriesKeepsOthersUntrimmedAndTags) {
    TWideStringList list;
    SplitText(list, std::wstring(L"X|| || Y||\t\r||Z "));
    CleanList(list);
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list[0], L"X");
    EXPECT_EQ(list[1], L" Y");
    EXPECT_EQ(list[2], L"Z ");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list.Tag(static_cast<size_t>(i)), i);
    SplitText(list, std::wstring(L" || "));
    CleanList(list);
    EXPECT_TRUE(list.Empty());
}
