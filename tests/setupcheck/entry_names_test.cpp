// Payload entry names that the installer would not install as they read.
#include <gtest/gtest.h>

#include "entry_names.h"
#include "util/error.h"

using setupcheck::EntryNameProblem;

TEST(EntryNamesTest, NamesTheInstallerDropsReRootsOrCannotCreate) {
    const struct {
        const wchar_t* name;
        const wchar_t* problem;  // a part of the text; empty: no problem
    } cases[] = {
        {L"Zantivo.exe", L""},
        {L"bin\\viewer.dll", L""},
        {L"bin\\", L""},                  // a folder entry
        {L"bin\\\\viewer.dll", L""},      // a doubled backslash changes nothing
        {L".\\readme.txt", L""},          // "." changes nothing
        {L"lang\\\u4e2d\u6587.txt", L""},  // any script
        {L"\\windows\\evil.dll", L"is an absolute name"},
        {L"C:\\evil.dll", L"begins with the drive \"C:\""},
        {L"C:evil.dll", L"begins with the drive \"C:\""},
        {L"..\\evil.dll", L"holds \"..\""},
        {L"bin\\..\\..\\evil.dll", L"holds \"..\""},
        {L"bin\\..", L"holds \"..\""},
        {L"bin\\x:y.dll", L"holds ':' in the folder name \"x:\""},
        {L"a:b\\c.dll", L"holds ':' in the folder name \"a:b\""},
        {L"what?.txt", L"Windows cannot create its file \"what?.txt\": it holds '?'"},
        {L"docs\\\"quoted\"\\a.txt", L"Windows cannot create its folder"},
        {L"aux.txt", L"a device name that Windows reserves"},
        {L"docs\\LPT1\\a.txt", L"a device name that Windows reserves"},
        {L"readme.txt.", L"ends in a dot or blank"},
        {L"docs \\a.txt", L"ends in a dot or blank"},
        {L"tab\there.txt", L"a control character"},
    };
    for (const auto& c : cases) {
        const std::wstring problem = EntryNameProblem(c.name);
        if (!*c.problem) EXPECT_EQ(problem, L"") << WideToUtf8(c.name);
        else EXPECT_NE(problem.find(c.problem), std::wstring::npos) << WideToUtf8(c.name) << ": " << WideToUtf8(problem);
    }
}
