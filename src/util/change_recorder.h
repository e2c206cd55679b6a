// The seam between the steps that change the machine and the installation's
// journal. Each change is announced here before it takes effect, so that the
// journal can write down how to undo it first (and, for a file that is
// replaced, move the earlier one aside). Outside an installation no recorder
// is installed and every announcement is simply allowed, so the helpers and
// steps work as before for their own callers and tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// How a file is about to change.
enum class TFileChange {
    Replace,  // written afresh or removed: the earlier file is moved aside whole
    Edit,     // changed in place (an INI value, a log): the writer reads what is there
};

class TChangeRecorder {
public:
    virtual ~TChangeRecorder() = default;
    // A folder (and any missing parents) is about to be created.
    virtual bool BeforeCreatingFolder(const std::wstring& folder) = 0;
    // A file is about to be created, replaced, edited or removed.
    virtual bool BeforeChangingFile(const std::wstring& path, TFileChange change) = 0;
    // Many files are about to be written afresh (an extraction): recorded,
    // and the earlier ones moved aside, all at once, so that the records
    // reach the disk in one go. A path that is not taken care of here (one
    // that cannot be moved, or lies elsewhere) comes to BeforeChangingFile
    // again as it is written.
    virtual void BeforeReplacingFiles(const std::vector<std::wstring>& paths) = 0;
    // A registry key (its values, its subkeys) is about to be written or removed.
    virtual bool BeforeChangingKey(HKEY root, const std::wstring& path) = 0;
    // The access list of an existing file or folder is about to change.
    virtual bool BeforeChangingSecurity(const std::wstring& path) = 0;
    // A control is about to be registered; replacesAnother when its class is
    // registered already (which cannot be undone).
    virtual bool BeforeRegisteringControl(const std::wstring& library, bool replacesAnother) = 0;
    // A program that changes the machine in its own ways (a further
    // installer) is about to run: nothing can undo it.
    virtual void BeforeRunningProgram(const std::wstring& program) = 0;
};

// The recorder of the installation under way, or null.
TChangeRecorder* ChangeRecorder();
// Installs a recorder (null: none) and returns the previous one.
TChangeRecorder* SetChangeRecorder(TChangeRecorder* recorder);

// The announcements, for the steps. Each returns whether the change may go
// ahead: false when the recorder could not make it undoable (the system's
// last error says why), and the caller then fails as if the change itself
// had failed. Without a recorder they return true.
bool RecordFolderCreation(const std::wstring& folder);
bool RecordFileChange(const std::wstring& path, TFileChange change);
void RecordFilesReplacement(const std::vector<std::wstring>& paths);
bool RecordKeyChange(HKEY root, const std::wstring& path);
bool RecordSecurityChange(const std::wstring& path);
bool RecordControlRegistration(const std::wstring& library, bool replacesAnother);
void RecordProgramRun(const std::wstring& program);
