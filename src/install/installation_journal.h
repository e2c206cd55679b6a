// The journal of the installation under way: the change recorder that writes
// down, before each change takes effect, what undoes it, and moves aside
// (renames within its folder, never copies) each earlier file that the
// installation replaces. Created files are written down without waiting for
// the disk (the uninstall log names them too, and a killed process loses
// none: every record reaches the system at once); every moved-aside file,
// key, access list and registration is on the disk before the change, and
// the rest at least every quarter of a second and at the end of each step.
//
// Records and their fields (played backwards by rollback.h):
//   Journal       version "1", the destination, then the places the installation may change
//   Folder        a folder the installation made
//   File          a file the installation made (nothing was there)
//   Aside         a file that was there, and where it was moved to
//   Key           a registry root and key, and the key's whole tree as it was
//   Security      a file or folder, and its access list as it was (SDDL)
//   Registration  a control library, and "1" when its class was registered already
//   Program       a further installer that ran
//   Commit        the installation completed: only the moved-aside files remain to go
#pragma once

#include <set>
#include <string>
#include <vector>

#include "install/journal.h"
#include "util/change_recorder.h"

// The one journal of the machine: a folder of the common application data
// that only administrators and the system may change, so that nobody else
// can plant a journal for an elevated Setup to play.
std::wstring JournalPath();
// Tests keep their journals in a folder of their own (an empty path restores
// the machine's).
void SetJournalFolder(const std::wstring& folder);

// The suffix of a moved-aside file's name: "<name>.setup-earlier", then
// "<name>.setup-earlier2" and on when that is taken.
inline constexpr wchar_t kAsideSuffix[] = L".setup-earlier";

class TInstallationJournal : public TChangeRecorder {
public:
    // Creates the journal (replacing one: the caller has recovered it first)
    // for an installation into destination whose changes all lie in places
    // (folders ending in a backslash, or single files). Raises EJournalError.
    TInstallationJournal(const std::wstring& destination, std::vector<std::wstring> places);
    TInstallationJournal(const TInstallationJournal&) = delete;
    TInstallationJournal& operator=(const TInstallationJournal&) = delete;

    bool BeforeCreatingFolder(const std::wstring& folder) override;
    bool BeforeChangingFile(const std::wstring& path, TFileChange change) override;
    void BeforeReplacingFiles(const std::vector<std::wstring>& paths) override;
    bool BeforeChangingKey(HKEY root, const std::wstring& path) override;
    bool BeforeChangingSecurity(const std::wstring& path) override;
    bool BeforeRegisteringControl(const std::wstring& library, bool replacesAnother) override;
    void BeforeRunningProgram(const std::wstring& program) override;

    // A folder made for the installation before the journal began (the
    // destination page's): undone with the rest.
    void RecordMadeFolder(const std::wstring& folder);

    // The records written so far, in order.
    const std::vector<TJournalRecord>& Records() const { return records_; }
    // At the end of a step: everything on the disk.
    void Flush() { file_.Flush(); }
    void FlushIfDue() { file_.FlushIfDue(); }
    // The installation completed: writes the commit record (on the disk).
    void MarkCommitted();
    // The journal's work is done (committed or undone): the file goes.
    void Remove() { file_.Remove(); }

private:
    void Append(TJournalRecord record, bool durable);
    void Append(std::vector<TJournalRecord> records, bool durable);
    bool InPlaces(const std::wstring& path) const;
    bool MoveAside(const std::wstring& path, TFileChange change);
    // The record of a file to be made where none is (after its folder's); false when something is there.
    bool RecordNewFile(const std::wstring& path, DWORD& error);
    std::wstring FreeAsideName(const std::wstring& path) const;

    TJournalFile file_;
    std::vector<std::wstring> places_;
    std::vector<TJournalRecord> records_;
    // What this installation has already recorded (upper case): a path is
    // written down the first time it changes; later changes are its own.
    std::set<std::wstring> files_, folders_, keys_;
    std::set<std::wstring> madeFolders_;  // the folders this installation made
};
