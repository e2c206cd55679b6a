#include "install/rollback.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <optional>

#include "install/folder_listing.h"
#include "install/install_log.h"
#include "install/installation_journal.h"
#include "install/installation_lock.h"
#include "install/journal_places.h"
#include "install/registry_snapshot.h"
#include "install/system_integration.h"
#include "util/file_ops.h"
#include "util/handles.h"
#include "util/path.h"
#include "util/process.h"
#include "util/registry.h"
#include "util/text_list.h"
#include "util/win_error.h"

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Deletes a file even when it is read-only.
bool DeleteAnyFile(const std::wstring& path) {
    if (DeleteFileW(path.c_str())) return true;
    if (GetLastError() != ERROR_ACCESS_DENIED) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY) ||
        !SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return DeleteFileW(path.c_str()) != FALSE;
}

bool NotThere(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

std::wstring Reason() { return SystemErrorText(GetLastError()); }

// The keys an installation writes: the product's key of the current user
// (Software\<name>), its Apps & Features entry and the barcode control's class.
bool IsProductKey(const std::wstring& rootName, const std::wstring& path) {
    auto single = [](const std::wstring& name) { return !name.empty() && name.find(L'\\') == std::wstring::npos; };
    const std::wstring upper = UpperCaseW(path);
    if (rootName.starts_with(L"HKEY_USERS\\"))
        return upper.starts_with(L"SOFTWARE\\") && single(path.substr(9));
    const std::wstring uninstall = UpperCaseW(kUninstallKey);
    if (rootName == L"HKEY_LOCAL_MACHINE") return upper.starts_with(uninstall) && single(path.substr(uninstall.size()));
    if (rootName == L"HKEY_CLASSES_ROOT") return upper == UpperCaseW(kBarcodeClassKey);
    return false;
}

// Starts the system folder's regsvr32 to unregister a control silently, and
// waits; true when it says it did.
bool UnregisterControl(const std::wstring& library) {
    const std::wstring system = SystemFolder();
    if (system.empty()) return false;
    const std::optional<unsigned long> exitCode =
        RunHiddenAndWait(system + L"\\regsvr32.exe", L"/u /s \"" + library + L"\"");
    return exitCode && *exitCode == 0;
}

bool RestoreSecurity(const std::wstring& path, const std::wstring& rules) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(rules.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    // A list without a DACL would open the object to everyone: never written.
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present || !dacl) {
        LocalFree(descriptor);
        SetLastError(ERROR_INVALID_SECURITY_DESCR);
        return false;
    }
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    // Protected or inheriting, as the list was.
    const SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION | ((control & SE_DACL_PROTECTED)
                                                                       ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                       : UNPROTECTED_DACL_SECURITY_INFORMATION);
    const DWORD error = SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT, what, nullptr,
                                              nullptr, dacl, nullptr);
    LocalFree(descriptor);
    SetLastError(error);
    return error == ERROR_SUCCESS;
}

// One pass backwards over a journal: each record checked, undone and
// reported; the files and folders counted, since there may be thousands.
class TUndo {
public:
    explicit TUndo(const std::vector<TJournalRecord>& records) : records_(records) {}

    bool ReadHeader() {
        if (records_.empty() || records_[0].kind != TRecordKind::Header || records_[0].fields.size() < 2 ||
            records_[0].fields[0] != L"1")
            return false;
        destination_ = records_[0].fields[1];
        places_.assign(records_[0].fields.begin() + 2, records_[0].fields.end());
        return true;
    }
    const std::wstring& Destination() const { return destination_; }

    void Undo(const TJournalRecord& record) {
        const std::vector<std::wstring>& f = record.fields;
        switch (record.kind) {
        case TRecordKind::File:
            if (Allowed(record, 1, 1)) UndoFile(f[0]);
            break;
        case TRecordKind::Aside:
            if (Allowed(record, 2, 2) && Refuse(!IsAsideOf(f[1], f[0]), record)) UndoAside(f[0], f[1]);
            break;
        case TRecordKind::Folder:
            if (Allowed(record, 1, 1)) UndoFolder(f[0]);
            break;
        case TRecordKind::Key: UndoKey(record); break;
        case TRecordKind::Security:
            if (Allowed(record, 2, 1)) {
                if (RestoreSecurity(f[0], f[1])) LogLine(L"Undone: the access list of " + f[0] + L" is as it was");
                else LogLine(L"Could not put back the access list of " + f[0] + L": " + Reason());
            }
            break;
        case TRecordKind::Registration:
            if (Allowed(record, 2, 1)) UndoRegistration(f[0], f[1] == L"1");
            break;
        case TRecordKind::Program:
            if (!f.empty())
                LogLine(L"Cannot be undone: the further installer " + f[0] +
                        L" has run, and what it changed stays (remove it through Apps & Features)");
            break;
        case TRecordKind::Header:
        case TRecordKind::Commit: break;
        case TRecordKind::Unknown:
            LogLine(L"Cannot be undone: a change of a kind this Setup does not know (\"" + record.kindName + L"\")");
            break;
        }
    }

    void Summary() const {
        if (filesRemoved_) LogLine(L"Undone: removed " + std::to_wstring(filesRemoved_) + L" files the installation had made");
        if (foldersRemoved_)
            LogLine(L"Undone: removed " + std::to_wstring(foldersRemoved_) + L" folders the installation had made");
    }

private:
    // The record has its fields, and the first paths of them are plain and in
    // the installation's places.
    bool Allowed(const TJournalRecord& record, size_t fields, size_t paths) {
        bool allowed = record.fields.size() >= fields;
        for (size_t i = 0; allowed && i < paths; ++i) allowed = LiesInPlaces(record.fields[i], places_);
        return Refuse(!allowed, record);
    }
    bool Refuse(bool refused, const TJournalRecord& record) {
        if (refused)
            LogLine(L"Refused to undo a change the journal places outside the installation: " + record.kindName +
                    (record.fields.empty() ? L"" : L" " + record.fields[0]));
        return !refused;
    }

    void UndoFile(const std::wstring& path) {
        if (DeleteAnyFile(path)) {
            ++filesRemoved_;
        } else if (NotThere(GetLastError())) {
            return;  // never made, or already gone
        } else if (MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
            LogLine(L"Undone at the next restart: " + path + L" is in use, and is removed then");
        } else {
            LogLine(L"Could not remove " + path + L": " + Reason());
        }
    }

    void UndoAside(const std::wstring& path, const std::wstring& aside) {
        if (!Exists(aside)) return;  // never moved, or already back
        if (!DeleteAnyFile(path) && !NotThere(GetLastError())) {
            // The new file is in use: both renames wait for the next restart.
            if (MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) &&
                MoveFileExW(aside.c_str(), path.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING))
                LogLine(L"Undone at the next restart: " + path + L" is in use; the earlier file comes back then");
            else
                LogLine(L"Could not put back the earlier " + path + L" (" + Reason() + L"): it is kept as " + aside);
            return;
        }
        if (RenameFileByHandle(aside, path)) LogLine(L"Undone: the earlier " + path + L" is back");
        else LogLine(L"Could not put back the earlier " + path + L" (" + Reason() + L"): it is kept as " + aside);
    }

    void UndoFolder(const std::wstring& folder) {
        if (!FolderExists(folder)) return;
        if (RemoveDirectoryW(folder.c_str())) ++foldersRemoved_;
        else LogLine(L"Kept the folder " + folder + L": it holds what the installation did not make (" + Reason() + L")");
    }

    void UndoKey(const TJournalRecord& record) {
        const std::vector<std::wstring>& f = record.fields;
        const std::optional<TKeySnapshot> snapshot = f.size() >= 3 ? SnapshotFromFields(f, 2) : std::nullopt;
        if (!Refuse(!snapshot || !IsProductKey(f[0], f[1]), record)) return;
        const std::wstring name = f[0] + L"\\" + f[1];
        HKEY root = OpenRoot(f[0]);
        if (!root) {
            LogLine(L"Could not put back the registry key " + name + L": that user's registry is not loaded");
            return;
        }
        if (RestoreKey(root, f[1], *snapshot))
            LogLine(snapshot->existed ? L"Undone: the registry key " + name + L" is as it was"
                                      : L"Undone: removed the registry key " + name);
        else
            LogLine(L"Could not put back the registry key " + name + L" whole");
        CloseRoot(root);
    }

    void UndoRegistration(const std::wstring& library, bool replacedAnother) {
        if (replacedAnother) {
            LogLine(L"Cannot be undone: the registration of " + library +
                    L" replaced the control's earlier one; its class key is put back, what else it changed stays");
            return;
        }
        if (!Exists(library)) return;
        if (UnregisterControl(library)) LogLine(L"Undone: the control " + library + L" is unregistered");
        else LogLine(L"Could not unregister the control " + library);
    }

    const std::vector<TJournalRecord>& records_;
    std::wstring destination_;
    std::vector<std::wstring> places_;
    size_t filesRemoved_ = 0, foldersRemoved_ = 0;
};

// The moved-aside files of a journal, in order: each file's path and where it was moved.
std::vector<std::pair<std::wstring, std::wstring>> Asides(const std::vector<TJournalRecord>& records) {
    std::vector<std::pair<std::wstring, std::wstring>> asides;
    for (const TJournalRecord& record : records)
        if (record.kind == TRecordKind::Aside && record.fields.size() >= 2 && IsAsideOf(record.fields[1], record.fields[0]))
            asides.emplace_back(record.fields[0], record.fields[1]);
    return asides;
}

}  // namespace

EInstallationCancelled::EInstallationCancelled() : EError(L"The installation was cancelled") {}

void RollBack(const std::vector<TJournalRecord>& records, const TUndoProgress& progress) {
    TUndo undo(records);
    if (!undo.ReadHeader()) {
        LogLine(L"The journal has no header this Setup can read: nothing of it is undone");
        return;
    }
    LogLine(L"Undoing the installation into " + undo.Destination() + L" (" + std::to_wstring(records.size() - 1) +
            L" recorded changes)");
    for (size_t i = records.size(); i-- > 1;) {
        if (progress) progress(records.size() - 1 - i, records.size() - 1,
                               records[i].fields.empty() ? std::wstring() : records[i].fields[0]);
        undo.Undo(records[i]);
    }
    undo.Summary();
    LogLine(L"The installation is undone");
}

void CommitRecords(const std::vector<TJournalRecord>& records) {
    size_t removed = 0, atRestart = 0;
    TFolderListings listings;  // each folder read once, not each file asked after
    for (const auto& [path, aside] : Asides(records)) {
        std::wstring name;
        const TFolderListing& folder = listings.OfFolderOf(path, name);
        const bool read = folder.State() == TFolderListing::TState::Read;
        if (read ? !folder.Has(aside.substr(path.size() - name.size())) : !Exists(aside)) continue;
        // Nothing came in its place (an entry skipped for its password or its
        // check): the earlier file is kept, where it was.
        if (!(read ? folder.Has(name) : Exists(path)) && RenameFileByHandle(aside, path)) continue;
        if (DeleteAnyFile(aside)) ++removed;
        else if (NotThere(GetLastError())) continue;
        else if (MoveFileExW(aside.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) ++atRestart;
        else LogLine(L"Could not remove the earlier file " + aside + L": " + Reason());
    }
    if (removed || atRestart)
        LogLine(L"Removed the " + std::to_wstring(removed + atRestart) + L" earlier files the installation replaced" +
                (atRestart ? L" (" + std::to_wstring(atRestart) + L" in use, at the next restart)" : L""));
}

void RecoverUnlessAnotherInstallationRuns() {
    try {
        if (!Exists(JournalPath())) return;
    } catch (const EError&) {
        return;
    }
    if (!TryLockInstallation()) return;  // the one that holds it owns the journal
    RecoverInterruptedInstallation();
    UnlockInstallation();
}

bool RecoverInterruptedInstallation() {
    std::wstring path;
    try {
        path = JournalPath();
    } catch (const EError&) {
        return false;  // no place for a journal, so none was written
    }
    if (!Exists(path)) return false;
    std::string bytes;
    try {
        bytes = ReadFileBytes(path);
    } catch (const EError& error) {
        LogLine(L"The journal of an earlier installation cannot be read: " + error.Message());
        return false;
    }
    const TJournalReading reading = DecodeJournal(bytes);
    LogLine(L"Found the journal " + path + L" of an earlier installation that did not end (" +
            std::to_wstring(reading.records.size()) + L" records)");
    if (reading.damaged)
        LogLine(L"The journal's last " + std::to_wstring(bytes.size() - reading.bytesTaken) +
                L" bytes are not a whole record (the installation ended while writing it): they are left out");
    bool committed = false;
    for (const TJournalRecord& record : reading.records) committed |= record.kind == TRecordKind::Commit;
    if (committed) {
        LogLine(L"That installation had completed: only its earlier files remain to be removed");
        CommitRecords(reading.records);
    } else {
        RollBack(reading.records);
    }
    if (!DeleteFileW(path.c_str())) LogLine(L"Could not remove the journal " + path + L": " + Reason());
    return true;
}
