// The permission steps on real folders and files, with the installation's
// log read back: what each step changed, for whom, and what it warns of.
// Wine keeps only what Unix mode bits can say, so an entry for everyone
// (what an earlier setup's cacls left) is seen on the files, and the entries
// for Users are seen in the log's SDDL, which the security API computed.
#include "install/folder_permissions.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "install/install_log.h"
#include "support/temp_folder.h"
#include "util/error.h"
#include "util/file_ops.h"

namespace {

// The installation's log, in a file of the test's own, while it lives.
class CapturedLog {
public:
    explicit CapturedLog(const TempFolder& temp)
        : path_(temp / L"install.log"), log_(std::make_unique<TInstallLog>(path_)), previous_(SetInstallLog(log_.get())) {}
    ~CapturedLog() { SetInstallLog(previous_); }
    // The lines that begin with prefix (after the time), without the time.
    std::set<std::wstring> Lines(const std::wstring& prefix) const {
        const std::wstring text = Utf8ToWide(ReadBytesWhileWritten(path_));
        std::set<std::wstring> lines;
        for (size_t begin = 0, end; (end = text.find(L"\r\n", begin)) != std::wstring::npos; begin = end + 2) {
            const std::wstring line = text.substr(begin, end - begin);
            const size_t at = line.find(L"  ");
            if (at != std::wstring::npos && line.compare(at + 2, prefix.size(), prefix) == 0)
                lines.insert(line.substr(at + 2));
        }
        return lines;
    }

private:
    std::wstring path_;
    std::unique_ptr<TInstallLog> log_;
    TInstallLog* previous_;
};

// What "cacls <folder> /t /c /g everyone:F" left: everyone may do everything
// to the folder and to each thing in it.
void OpenToEveryone(const std::wstring& folder, const std::vector<std::wstring>& below) {
    AddAllowEntry(folder, {WinWorldSid, FILE_ALL_ACCESS, TInheritance::FoldersAndFiles});
    for (const std::wstring& relative : below)
        AddAllowEntry(folder + relative, {WinWorldSid, FILE_ALL_ACCESS, TInheritance::ThisOnly});
}

const std::wstring kUsersModifyBelowLog =
    L" now allows BUILTIN\\Users (S-1-5-32-545) Modify, inherited by its folders and files: (A;OICI;0x1301bf;;;BU)";
const std::wstring kUsersModifyFileLog =
    L" now allows BUILTIN\\Users (S-1-5-32-545) Modify, on itself only, not inherited: (A;;0x1301bf;;;BU)";

}  // namespace

// Over an earlier installation whose folder was opened to everyone: every
// file and folder inherits again before anything is extracted, and the
// program files that no installation put there are named.
TEST(FolderPermissionsTest, AProgramFolderOpenedToEveryoneInheritsAgainAndPlantedCodeIsNamed) {
    TempFolder temp;
    const std::wstring d = temp / L"ZantivoSys\\";
    const std::vector<std::wstring> below = {L"Zantivo.exe", L"bin",        L"bin\\old.dll", L"bin\\version.dll",
                                             L"readme.txt",  L"Viewer.exe", L"System.ini",   L"Uninstall.log"};
    MakeFolders(d + L"bin");
    for (const std::wstring& file : below)
        if (file != L"bin") WriteBytes(d + file, "x");
    // The earlier installation extracted bin\old.dll and renamed its program to Viewer.exe.
    WritePrivateProfileStringW(L"Zantivo", L"0", L"bin\\old.dll", (d + L"Uninstall.log").c_str());
    WritePrivateProfileStringW(L"Setup", L"Setupname", L"Viewer", (d + L"System.ini").c_str());
    OpenToEveryone(d, below);
    ASSERT_TRUE(OpenToUsers(d));
    CapturedLog log(temp);

    RestoreProgramFolderAccess(d, {L"Zantivo.exe"});

    EXPECT_FALSE(OpenToUsers(d)) << WideToUtf8(ReadDaclSddl(d));
    for (const std::wstring& relative : below) EXPECT_FALSE(OpenToUsers(d + relative)) << WideToUtf8(relative);
    EXPECT_EQ(log.Lines(L"Warning: "),
              (std::set<std::wstring>{L"Warning: " + d + L"bin\\version.dll is a program file that no installation "
                                                          L"put there; it may have been planted while the folder "
                                                          L"was open to users"}));
    EXPECT_EQ(log.Lines(L"Access: " + d + L"Zantivo.exe").size(), 1u);  // each change is named
    EXPECT_EQ(ReadBytes(d + L"bin\\version.dll"), "x");  // named, not removed
}

TEST(FolderPermissionsTest, AProgramFolderThatWasNeverOpenedIsLeftAsItIs) {
    TempFolder temp;
    const std::wstring d = temp / L"ZantivoSys\\";
    MakeFolders(d);
    WriteBytes(d + L"planted.dll", "x");
    const std::wstring before = ReadDaclSddl(d + L"planted.dll");
    CapturedLog log(temp);

    RestoreProgramFolderAccess(d, {});
    RestoreProgramFolderAccess(temp / L"missing\\", {});

    EXPECT_TRUE(log.Lines(L"").empty());
    EXPECT_EQ(ReadDaclSddl(d + L"planted.dll"), before);
}

TEST(FolderPermissionsTest, UsersMayChangeTheDataFolderAndEachSettingsFileAlone) {
    TempFolder temp;
    const std::wstring data = temp / L"Zantivo\\", d = temp / L"ZantivoSys\\";
    MakeFolders(data + L"Invoices");
    WriteBytes(data + L"Invoices\\scan.tif", "scan");
    OpenToEveryone(data, {L"Invoices", L"Invoices\\scan.tif"});  // an earlier setup's doing
    MakeFolders(d + L"Lang");
    for (const wchar_t* file : {L"System.ini", L"Other.ini", L"Zantivo.exe", L"Lang\\ResEN.ini", L"Lang\\Read.txt"})
        WriteBytes(d + file, "x");
    CapturedLog log(temp);

    GrantFolderPermissions(data);
    GrantFolderPermissions(temp / L"missing\\");
    GrantSettingsFilePermissions(d);

    EXPECT_FALSE(OpenToUsers(data + L"Invoices\\scan.tif"));  // everyone's entries are gone
    EXPECT_EQ(log.Lines(L"Access: " + data + L" now"), (std::set<std::wstring>{L"Access: " + data + kUsersModifyBelowLog}));
    EXPECT_EQ(log.Lines(L"Access: " + d),
              (std::set<std::wstring>{L"Access: " + d + L"Other.ini" + kUsersModifyFileLog,
                                      L"Access: " + d + L"System.ini" + kUsersModifyFileLog,
                                      L"Access: " + d + L"Lang\\ResEN.ini" + kUsersModifyFileLog}));
    EXPECT_EQ(log.Lines(L"Access: " + temp / L"missing").size(), 0u);
}
