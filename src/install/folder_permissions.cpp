#include "install/folder_permissions.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <unordered_set>

#include "install/install_log.h"
#include "install/installed_files.h"
#include "util/change_recorder.h"
#include "util/error.h"
#include "util/file_ops.h"
#include "util/path.h"
#include "util/win_error.h"

namespace {

// What the log says of an entry: the group by name and SID, the rights, the
// inheritance and the entry's SDDL.
std::wstring Described(const TAllowEntry& entry) {
    const std::wstring group = entry.group == WinBuiltinUsersSid ? L"BUILTIN\\Users (S-1-5-32-545)" : L"a group";
    const std::wstring rights = entry.rights == kModifyRights ? L"Modify" : L"rights " + std::to_wstring(entry.rights);
    const std::wstring inheritance = entry.inheritance == TInheritance::FoldersAndFiles
                                         ? L"inherited by its folders and files"
                                         : L"on itself only, not inherited";
    return group + L" " + rights + L", " + inheritance + L": " + EntrySddl(entry);
}

// The list as it was goes into the installation's journal first, so that
// undoing the installation takes the entry back.
void Grant(const std::wstring& path, const TAllowEntry& entry) {
    try {
        if (!RecordSecurityChange(path)) RaiseLastOSError(L"Cannot record the access list of " + path);
        if (AddAllowEntry(path, entry)) LogLine(L"Access: " + path + L" now allows " + Described(entry));
        else LogLine(L"Access: " + path + L" allows " + Described(entry) + L" already");
    } catch (const EError& error) {
        LogLine(L"Access: " + path + L" keeps its list: " + error.Message());
    }
}

// Files Windows loads or starts as code: a planted one runs with the rights
// of whoever starts the product, or loads into it.
bool IsCodeFile(const std::wstring& name) {
    static const std::vector<std::wstring> kCodeExtensions = {
        L".dll", L".exe", L".ocx", L".cpl", L".scr", L".sys", L".drv", L".com", L".ax",  L".acm", L".mui",
        L".efi", L".bat", L".cmd", L".ps1", L".vbs", L".vbe", L".js",  L".jse", L".wsf", L".wsh", L".hta",
        L".msi", L".msp", L".pif"};
    const size_t dot = name.rfind(L'.');
    return dot != std::wstring::npos && NameInList(name.substr(dot), kCodeExtensions);
}

std::wstring Normalised(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return UpperCaseW(path);
}

// Every file and folder below folder (ending in a backslash), parents before
// their contents, with its path relative to folder. A link (junction,
// symbolic link) is reported and not entered: while the folder was open it
// may have been pointed anywhere.
void WalkBelow(const std::wstring& folder, const std::wstring& relative,
               const std::function<void(const std::wstring& relative, const TFindEntry&)>& visit) {
    TFindEntries entries(folder + relative + L"*", faAnyFile);
    for (TFindEntry entry; entries.Next(entry);) {
        if (IsDotEntry(entry.name)) continue;
        const std::wstring path = relative + entry.name;
        visit(path, entry);
        if ((entry.attributes & faDirectory) && !(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            WalkBelow(folder, path + L"\\", visit);
    }
}

void Reset(const std::wstring& path) {
    const std::wstring before = ReadDaclSddl(path);
    ResetToInherited(path);
    LogLine(L"Access: " + path + L" inherits its folder's list again; its own was " + before);
}

}  // namespace

void GrantFolderPermissions(const std::wstring& folder) {
    if (!FolderExists(folder)) return;
    try {
        if (OpenToUsers(folder, &kUsersModifyInherited)) {
            LogLine(L"Access: " + folder + L" was opened to users by an earlier setup: it and everything in it "
                                           L"inherit again");
            Reset(folder);
            WalkBelow(folder, L"", [&](const std::wstring& relative, const TFindEntry& entry) {
                if (!(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) Reset(folder + relative);
            });
        }
    } catch (const EError& error) {
        LogLine(L"Access: " + folder + L" keeps the list an earlier setup gave it: " + error.Message());
    }
    Grant(folder, kUsersModifyInherited);
}

void GrantSettingsFilePermissions(const std::wstring& destination) {
    for (const std::wstring& folder : {destination, destination + L"Lang\\"}) {
        TFindEntries settings(folder + L"*.ini", 0);
        for (TFindEntry entry; settings.Next(entry);) Grant(folder + entry.name, kUsersModifyFile);
    }
}

void RestoreProgramFolderAccess(const std::wstring& destination, const std::vector<std::wstring>& payloadPaths) {
    if (!FolderExists(destination) || !OpenToUsers(destination)) return;
    LogLine(L"Access: " + destination + L" was opened to users by an earlier setup: it and everything in it "
                                        L"inherit the list of the folder above again");
    Reset(destination);  // a failure here ends the installation: nothing goes into an open folder

    std::unordered_set<std::wstring> known;
    for (const std::wstring& path : payloadPaths) known.insert(Normalised(path));
    for (const std::wstring& path : ReadUninstallLog(destination + kUninstallLogName)) known.insert(Normalised(path));
    for (const std::wstring& path : ReadSetupRecords(destination)) known.insert(Normalised(path));

    WalkBelow(destination, L"", [&](const std::wstring& relative, const TFindEntry& entry) {
        const std::wstring path = destination + relative;
        if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            LogLine(L"Warning: " + path + L" is a link that no installation made; it was not followed");
            return;
        }
        try {
            Reset(path);
        } catch (const EError& error) {
            LogLine(L"Warning: " + path + L" keeps the list an earlier setup gave it: " + error.Message());
        }
        if (!(entry.attributes & faDirectory) && IsCodeFile(entry.name) && !known.contains(Normalised(relative)))
            LogLine(L"Warning: " + path + L" is a program file that no installation put there; it may have been "
                                          L"planted while the folder was open to users");
    });
}
