#include "install/installation_journal.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <iterator>

#include "install/folder_listing.h"
#include "install/journal_places.h"
#include "install/registry_snapshot.h"
#include "util/file_ops.h"
#include "util/path.h"
#include "util/win_error.h"
#include "wizard/product.h"

namespace {

std::wstring journalFolder;  // set by tests; empty: the machine's

constexpr wchar_t kJournalName[] = L"Installation.journal";

// The folder of the machine's journal: only the system, the administrators
// and the account that runs Setup (elevated) may change it, and it inherits
// nothing from the application-data folder, where users may create folders.
std::wstring MachineJournalFolder() {
    const std::wstring appData = CommonAppDataFolder();
    if (appData.empty()) throw EJournalError(L"The system names no common application-data folder for the journal");
    return appData + L"\\" + kProductName + L" Setup\\";
}

std::wstring AccessRulesForJournalFolder() {
    std::wstring rules = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    // The running account by its SID; under Wine this is the files' owner.
    const std::wstring user = RootName(HKEY_CURRENT_USER);
    const size_t sid = user.rfind(L'\\');
    if (sid != std::wstring::npos && sid + 1 < user.size()) rules += L"(A;OICI;FA;;;" + user.substr(sid + 1) + L")";
    return rules;
}

// Makes the journal's folder with its own access list, or gives an existing
// one that list again (someone may have made it before Setup ever ran).
void PrepareJournalFolder(const std::wstring& folder) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(AccessRulesForJournalFolder().c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        throw EJournalError(L"Cannot describe the access list of the journal's folder: " +
                            SystemErrorText(GetLastError()));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    DWORD error = ERROR_SUCCESS;
    if (!CreateDirectoryW(folder.c_str(), &attributes)) {
        error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS && FolderExists(folder)) {
            BOOL present = FALSE, defaulted = FALSE;
            PACL dacl = nullptr;
            GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
            error = SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
                                          DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                          nullptr, dacl, nullptr);
        }
    }
    LocalFree(descriptor);
    if (error != ERROR_SUCCESS)
        throw EJournalError(L"Cannot prepare the journal's folder " + folder + L": " + SystemErrorText(error));
}

std::wstring WithoutBackslash(std::wstring path) {
    if (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

// The journal's path, its folder made or protected again.
std::wstring PreparedJournalPath() {
    const std::wstring path = JournalPath();
    PrepareJournalFolder(ExtractFolder(path));
    return path;
}

bool NotThere(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

}  // namespace

std::wstring JournalPath() {
    const std::wstring folder = journalFolder.empty() ? MachineJournalFolder() : IncludeBackslash(journalFolder);
    return folder + kJournalName;
}

void SetJournalFolder(const std::wstring& folder) { journalFolder = folder; }

TInstallationJournal::TInstallationJournal(const std::wstring& destination, std::vector<std::wstring> places)
    : file_(PreparedJournalPath()), places_(std::move(places)) {
    TJournalRecord header{TRecordKind::Header, {L"1", destination}};
    header.fields.insert(header.fields.end(), places_.begin(), places_.end());
    Append(std::move(header), true);
}

void TInstallationJournal::Append(TJournalRecord record, bool durable) {
    file_.Append(record, durable);
    records_.push_back(std::move(record));
}

void TInstallationJournal::Append(std::vector<TJournalRecord> records, bool durable) {
    file_.Append(records, durable);
    records_.insert(records_.end(), std::make_move_iterator(records.begin()), std::make_move_iterator(records.end()));
}

bool TInstallationJournal::InPlaces(const std::wstring& path) const {
    if (LiesInPlaces(path, places_)) return true;
    SetLastError(ERROR_ACCESS_DENIED);  // a change the journal could not undo is not made
    return false;
}

bool TInstallationJournal::BeforeCreatingFolder(const std::wstring& folder) {
    // The missing levels, from the folder up to the first that exists.
    std::vector<std::wstring> missing;
    for (std::wstring level = WithoutBackslash(folder); level.size() > 3;) {
        const std::wstring key = UpperCaseW(level);
        if (folders_.count(key)) break;
        const DWORD attributes = GetFileAttributesW(level.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES || !NotThere(GetLastError())) {
            folders_.insert(key);  // there already (or unknowable): not this installation's
            break;
        }
        missing.push_back(level);
        const size_t slash = level.find_last_of(L'\\');
        if (slash == std::wstring::npos) break;
        level = WithoutBackslash(level.substr(0, slash + 1));
    }
    for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
        if (!InPlaces(*level)) return false;
        Append({TRecordKind::Folder, {*level}}, false);
        folders_.insert(UpperCaseW(*level));
        madeFolders_.insert(UpperCaseW(*level));
    }
    return true;
}

bool TInstallationJournal::BeforeChangingFile(const std::wstring& path, TFileChange change) {
    const std::wstring key = UpperCaseW(path);
    if (files_.count(key)) return true;
    if (!InPlaces(path)) return false;
    DWORD error = ERROR_SUCCESS;
    if (RecordNewFile(path, error)) return true;
    if (error != ERROR_ALREADY_EXISTS) {
        SetLastError(error);  // something is there that cannot be looked at: leave it alone
        return false;
    }
    // A folder where a file would go: the change fails by itself and changes nothing.
    if (FolderExists(path)) return true;
    if (!MoveAside(path, change)) return false;
    files_.insert(key);
    return true;
}

bool TInstallationJournal::RecordNewFile(const std::wstring& path, DWORD& error) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        error = ERROR_ALREADY_EXISTS;
        return false;
    }
    error = GetLastError();
    if (!NotThere(error)) return false;
    // Its folder's record comes first, so that undoing removes the file before the folder.
    const size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos && !BeforeCreatingFolder(path.substr(0, slash))) {
        error = GetLastError();
        return false;
    }
    Append({TRecordKind::File, {path}}, false);
    files_.insert(UpperCaseW(path));
    return true;
}

// An extraction's files: each one's record, then one write and one flush for
// all, then the renames. Each folder is read once for what it holds, so a
// fresh installation asks the system nothing per file, and replacing a whole
// earlier installation costs a rename per file and one wait for the disk.
void TInstallationJournal::BeforeReplacingFiles(const std::vector<std::wstring>& paths) {
    TFolderListings listings;
    std::vector<TJournalRecord> records;
    std::vector<std::pair<std::wstring, std::wstring>> asides;
    for (const std::wstring& path : paths) {
        const std::wstring key = UpperCaseW(path);
        if (files_.count(key) || !LiesInPlaces(path, places_)) continue;
        std::wstring name;
        TFolderListing& folder = listings.OfFolderOf(path, name);
        // A folder that cannot be read is asked about file by file as the files are written;
        // where a folder stands in a file's place, the write fails by itself and changes nothing.
        if (folder.State() == TFolderListing::TState::Unreadable || folder.HasFolder(name)) continue;
        if (!folder.Has(name)) {
            if (folder.State() == TFolderListing::TState::Missing && !BeforeCreatingFolder(ExtractFolder(path)))
                continue;
            records.push_back({TRecordKind::File, {path}});
            files_.insert(key);
            continue;
        }
        std::wstring asideName = name + kAsideSuffix;
        for (int n = 2; folder.Has(asideName); ++n) asideName = name + kAsideSuffix + std::to_wstring(n);
        folder.Added(asideName);
        const std::wstring aside = path.substr(0, path.size() - name.size()) + asideName;
        records.push_back({TRecordKind::Aside, {path, aside}});
        asides.emplace_back(path, aside);
    }
    // The moved-aside files' records are on the disk before the first rename.
    const bool durable = !asides.empty();
    Append(std::move(records), durable);
    // One that does not move (in use) is tried again as it is written.
    for (const auto& [path, aside] : asides)
        if (RenameFileByHandle(path, aside)) files_.insert(UpperCaseW(path));
}

std::wstring TInstallationJournal::FreeAsideName(const std::wstring& path) const {
    std::wstring aside = path + kAsideSuffix;
    for (int n = 2; GetFileAttributesW(aside.c_str()) != INVALID_FILE_ATTRIBUTES; ++n)
        aside = path + kAsideSuffix + std::to_wstring(n);
    return aside;
}

// The earlier file is renamed within its folder (the same volume, no data
// copied), after its record is on the disk; a file edited in place gets a
// copy of itself to be edited, and the earlier one stays aside untouched.
bool TInstallationJournal::MoveAside(const std::wstring& path, TFileChange change) {
    const std::wstring aside = FreeAsideName(path);
    Append({TRecordKind::Aside, {path, aside}}, true);
    if (!RenameFileByHandle(path, aside)) return false;  // the record then undoes nothing
    if (change == TFileChange::Edit && !CopyFileW(aside.c_str(), path.c_str(), TRUE)) {
        const DWORD error = GetLastError();
        MoveFileExW(aside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
        SetLastError(error);
        return false;
    }
    return true;
}

bool TInstallationJournal::BeforeChangingKey(HKEY root, const std::wstring& path) {
    const std::wstring name = RootName(root);
    const std::wstring key = UpperCaseW(name + L"\\" + path);
    if (keys_.count(key)) return true;
    if (name.empty()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    TJournalRecord record{TRecordKind::Key, {name, path}};
    const std::vector<std::wstring> snapshot = SnapshotFields(SnapshotKey(root, path));
    record.fields.insert(record.fields.end(), snapshot.begin(), snapshot.end());
    Append(std::move(record), true);
    keys_.insert(key);
    return true;
}

bool TInstallationJournal::BeforeChangingSecurity(const std::wstring& path) {
    // A folder this installation made goes as a whole when it is undone.
    if (madeFolders_.count(UpperCaseW(WithoutBackslash(path)))) return true;
    if (!InPlaces(path)) return false;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                              nullptr, nullptr, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return false;
    }
    wchar_t* text = nullptr;
    const BOOL converted = ConvertSecurityDescriptorToStringSecurityDescriptorW(
        descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr);
    LocalFree(descriptor);
    if (!converted) return false;
    const std::wstring rules = text;
    LocalFree(text);
    Append({TRecordKind::Security, {WithoutBackslash(path), rules}}, true);
    return true;
}

bool TInstallationJournal::BeforeRegisteringControl(const std::wstring& library, bool replacesAnother) {
    Append({TRecordKind::Registration, {library, replacesAnother ? L"1" : L"0"}}, true);
    return true;
}

void TInstallationJournal::BeforeRunningProgram(const std::wstring& program) {
    Append({TRecordKind::Program, {program}}, true);
}

void TInstallationJournal::RecordMadeFolder(const std::wstring& folder) {
    const std::wstring level = WithoutBackslash(folder);
    if (!InPlaces(level)) return;
    Append({TRecordKind::Folder, {level}}, false);
    folders_.insert(UpperCaseW(level));
    madeFolders_.insert(UpperCaseW(level));
}

void TInstallationJournal::MarkCommitted() { Append({TRecordKind::Commit, {}}, true); }
