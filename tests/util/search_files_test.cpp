#include "util/search_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "support/temp_folder.h"
#include "util/message_pump.h"

namespace {

std::vector<std::wstring> Sorted(std::vector<std::wstring> v) {
    std::sort(v.begin(), v.end());
    return v;
}

}  // namespace

TEST(SearchFilesTest, FindsMatchesDepthFirstButNotBelowHiddenFolders) {
    TempFolder dir;
    WriteBytes(dir / L"a.ini", "");
    WriteBytes(dir / L"d.ini", "");
    WriteBytes(dir / L"notes.txt", "");
    SetFileAttributesW((dir / L"d.ini").c_str(), FILE_ATTRIBUTE_HIDDEN);
    CreateDirectoryW((dir / L"sub").c_str(), nullptr);
    WriteBytes(dir / L"sub\\b.ini", "");
    CreateDirectoryW((dir / L"sub\\deeper").c_str(), nullptr);
    WriteBytes(dir / L"sub\\deeper\\e.ini", "");
    CreateDirectoryW((dir / L"h").c_str(), nullptr);
    WriteBytes(dir / L"h\\c.ini", "");
    SetFileAttributesW((dir / L"h").c_str(), FILE_ATTRIBUTE_HIDDEN);

    TWideStringList list;
    list.Add(L"kept");  // the search only appends
    std::wstring folder = dir.Path();
    folder.pop_back();  // the search adds the backslash itself
    SearchFiles(folder, list, L"*.ini");

    ASSERT_EQ(list.Count(), 5u);
    EXPECT_EQ(list[0], L"kept");
    // The starting folder's matches come first, hidden files included.
    EXPECT_EQ(Sorted({list[1], list[2]}), Sorted({dir / L"a.ini", dir / L"d.ini"}));
    EXPECT_EQ(list[3], dir / L"sub\\b.ini");
    EXPECT_EQ(list[4], dir / L"sub\\deeper\\e.ini");
    for (size_t i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Tag(i), 0);
}

TEST(SearchFilesTest, NamesOnlyStripsExtensionsSkipsExcludedNamesAndMarks) {
    TempFolder dir;
    WriteBytes(dir / L"a.ini", "");
    WriteBytes(dir / L"b.ini", "");
    CreateDirectoryW((dir / L"sub").c_str(), nullptr);
    WriteBytes(dir / L"sub\\c.ini", "");

    TWideStringList list;
    SearchFiles(dir.Path(), list, L"*.ini", {L"A.INI"}, true, true);
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list[0], L"b");
    EXPECT_EQ(list.Tag(0), 1);
    // Deeper levels are searched with the plain options: full paths, no tag.
    EXPECT_EQ(list[1], dir / L"sub\\c.ini");
    EXPECT_EQ(list.Tag(1), 0);
}

TEST(SearchFilesTest, ProcessesPendingMessagesOncePerMatch) {
    TempFolder dir;
    for (const wchar_t* name : {L"1.ini", L"2.ini", L"3.ini", L"x.txt"}) WriteBytes(dir / name, "");
    CreateDirectoryW((dir / L"sub").c_str(), nullptr);
    WriteBytes(dir / L"sub\\4.ini", "");

    int pumps = 0;
    auto old = SetMessagePump([&] { ++pumps; });
    TWideStringList list;
    SearchFiles(dir.Path(), list, L"*.ini");
    SetMessagePump(std::move(old));
    EXPECT_EQ(list.Count(), 4u);
    // One per match: the three of the starting folder and the one of sub;
    // walking the sub-folders themselves processes none.
    EXPECT_EQ(pumps, 4);
}

int received = 0;
LRESULT CALLBACK CountingWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_APP) ++received;
    return DefWindowProcW(w, m, wp, lp);
}

TEST(SearchFilesTest, TheDefaultPumpDispatchesQueuedWindowMessages) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountingWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SearchPumpTest";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(L"SearchPumpTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);

    TempFolder dir;
    TWideStringList list;
    PostMessageW(window, WM_APP, 0, 0);
    SearchFiles(dir.Path(), list, L"*.ini");  // nothing found: nothing dispatched
    EXPECT_EQ(received, 0);
    WriteBytes(dir / L"a.ini", "");
    SearchFiles(dir.Path(), list, L"*.ini");
    EXPECT_EQ(received, 1);
    DestroyWindow(window);
}

TEST(SearchFilesTest, AMissingFolderAddsNothing) {
    TempFolder dir;
    TWideStringList list;
    SearchFiles(dir / L"missing", list, L"*.*");
    EXPECT_TRUE(list.Empty());
}
