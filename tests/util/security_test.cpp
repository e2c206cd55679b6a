// Access lists, private folders and the system folder's DLLs, on the real
// security API and loader. Wine keeps a file's security only as Unix mode
// bits (an Everyone entry becomes the "other" bits; an entry for Users is
// accepted and not kept), so what a list becomes on Windows is tested on
// the list the API computes, and what Wine can keep on real files.
#include <windows.h>

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "util/access_list.h"
#include "util/error.h"
#include "util/file_ops.h"
#include "util/path.h"
#include "util/private_folder.h"
#include "util/process.h"
#include "util/system_library.h"

namespace {

constexpr TAllowEntry kUsersModifyBelow{WinBuiltinUsersSid, kModifyRights, TInheritance::FoldersAndFiles};
constexpr TAllowEntry kUsersModifyHere{WinBuiltinUsersSid, kModifyRights, TInheritance::ThisOnly};
constexpr TAllowEntry kEveryoneFull{WinWorldSid, FILE_ALL_ACCESS, TInheritance::FoldersAndFiles};

// The list a folder made in Program Files by an administrator inherits:
// TrustedInstaller, SYSTEM and Administrators full control, Users read and
// run, CREATOR OWNER full control of what is made below.
const std::wstring kTrustedInstaller = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
const std::wstring kProgramFilesInherited =
    L"(A;ID;FA;;;" + kTrustedInstaller + L")(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)(A;OICIIOID;GA;;;CO)";

}  // namespace

TEST(AccessListTest, AnEntryJoinsTheListAndEverythingInheritedStays) {
    struct Case {
        const char* name;
        std::wstring list;
        TAllowEntry entry;
        std::wstring expected;
    } cases[] = {
        {"the data folder", L"D:AI" + kProgramFilesInherited, kUsersModifyBelow,
         L"D:AI(A;OICI;0x1301bf;;;BU)" + kProgramFilesInherited},
        {"a settings file", L"D:AI" + kProgramFilesInherited, kUsersModifyHere,
         L"D:AI(A;;0x1301bf;;;BU)" + kProgramFilesInherited},
        // A second installation adds nothing: the equal entry takes it in.
        {"installed again", L"D:AI(A;OICI;0x1301bf;;;BU)" + kProgramFilesInherited, kUsersModifyBelow,
         L"D:AI(A;OICI;0x1301bf;;;BU)" + kProgramFilesInherited},
        {"a protected list", L"D:PAI(A;OICI;FA;;;SY)", kUsersModifyBelow, L"D:PAI(A;OICI;0x1301bf;;;BU)(A;OICI;FA;;;SY)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DaclSddlWithEntry(c.list, c.entry), c.expected);
    }
    EXPECT_EQ(EntrySddl(kUsersModifyBelow), L"(A;OICI;0x1301bf;;;BU)");
    EXPECT_EQ(EntrySddl(kUsersModifyHere), L"(A;;0x1301bf;;;BU)");
    EXPECT_THROW(DaclSddlWithEntry(L"no list", kUsersModifyHere), EError);
}

// What an earlier setup's "cacls /g everyone:F" left is found on a folder and
// a file, and is gone once they inherit again.
TEST(AccessListTest, AListOpenToEveryoneIsFoundAndInheritsAgain) {
    TempFolder temp;
    const std::wstring folder = temp / L"program", file = folder + L"\\Zantivo.exe";
    MakeFolders(folder);
    WriteBytes(file, "MZ");
    for (const std::wstring& path : {folder, file}) {
        SCOPED_TRACE(WideToUtf8(path));
        EXPECT_FALSE(OpenToUsers(path));
        AddAllowEntry(path, {WinWorldSid, FILE_ALL_ACCESS,
                             path == folder ? TInheritance::FoldersAndFiles : TInheritance::ThisOnly});
        EXPECT_TRUE(OpenToUsers(path)) << WideToUtf8(ReadDaclSddl(path));
        EXPECT_TRUE(OpenToUsers(path, &kUsersModifyBelow));  // more than Users' Modify, and for everyone
        ResetToInherited(path);
        EXPECT_FALSE(OpenToUsers(path)) << WideToUtf8(ReadDaclSddl(path));
        EXPECT_EQ(ReadBytes(file), "MZ");
    }
    EXPECT_THROW(AddAllowEntry(temp / L"missing", kEveryoneFull), EError);
}

TEST(PrivateFolderTest, OnlyThisAccountSystemAndAdministratorsGetIn) {
    const std::wstring sddl = PrivateFolderSddl();
    EXPECT_TRUE(sddl.starts_with(L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;S-1-5-")) << WideToUtf8(sddl);
    TempFolder temp;
    const std::wstring folder = temp / L"copy";
    ASSERT_TRUE(CreatePrivateFolder(folder));
    EXPECT_TRUE(FolderExists(folder));
    const std::wstring made = ReadDaclSddl(folder);
    EXPECT_EQ(made.find(L";;;WD)"), std::wstring::npos) << WideToUtf8(made);  // nothing for everyone
    EXPECT_EQ(made.find(L";;;BU)"), std::wstring::npos) << WideToUtf8(made);
    EXPECT_TRUE(OwnedByThisAccountOrAdministrators(folder));
    // A folder that is already there (made by someone else, say) is never taken over.
    EXPECT_FALSE(CreatePrivateFolder(folder));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

// A DLL that lies only beside the program is never loaded, so never runs (it
// would leave a mark beside itself); the system folder's DLLs load. (That a
// DLL of a system name beside Setup.exe stays unloaded is seen end to end.)
TEST(SystemLibraryTest, LoadsFromTheSystemFolderOnlyNeverBesideTheProgram) {
    const std::wstring planted = EnvironmentPath(L"PLANTED_DLL");
    ASSERT_FALSE(planted.empty()) << "PLANTED_DLL names the planted test DLL";
    const std::wstring copy = ExtractFolder(ModulePath()) + L"setup_planted_probe.dll";
    ASSERT_TRUE(CopyFileW(planted.c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(LoadSystemLibrary(L"setup_planted_probe.dll"), nullptr);
    EXPECT_FALSE(FileExistsW(copy + L".loaded"));
    DeleteFileW(copy.c_str());
    DeleteFileW((copy + L".loaded").c_str());

    HMODULE comctl32 = LoadSystemLibrary(L"comctl32.dll");
    ASSERT_NE(comctl32, nullptr);
    EXPECT_NE(GetProcAddress(comctl32, "InitCommonControlsEx"), nullptr);
}
