#include "install/system_integration.h"

#include <windows.h>

#include "install/batch_files.h"
#include "util/change_recorder.h"
#include "util/file_ops.h"
#include "util/path.h"
#include "util/registry.h"
#include "wizard/process.h"
#include "wizard/system_folders.h"

namespace {

constexpr wchar_t kBarcodeLibrary[] = L"bin\\PegasusImaging.ActiveX.BarcodeXpress5.dll";

// True when the control's class is registered as this user can change it:
// the class key opens with full access and holds "ProgID". When it does not
// open, the test falls to HKEY_CLASSES_ROOT\ProgID, which normally is not
// there, so the control is registered again.
// On 64-bit Windows the 32-bit program reads the 32-bit view of the class
// keys, where the 32-bit control registers; the 64-bit build reads the 64-bit
// view, so there it registers a 32-bit control again at every installation.
bool BarcodeClassRegistered() {
    TRegKey classKey = TRegKey::Open(HKEY_CLASSES_ROOT, kBarcodeClassKey, KEY_ALL_ACCESS);
    if (classKey.IsOpen()) return classKey.HasSubKey(L"ProgID");
    return TRegKey::Open(HKEY_CLASSES_ROOT, L"ProgID").IsOpen();
}

}  // namespace

// Under a journal the library is moved aside (and goes for good when the
// installation completes), so that undoing the installation brings it back.
void RemoveStaleSdkDll(const std::wstring& destination) {
    const std::wstring library = destination + L"Bin\\MorvexaDmsSdk.dll";
    if (RecordFileChange(library, TFileChange::Replace)) RemoveFile(library);
}

void EnsureBarcodeControl(const std::wstring& destination) {
    if (!FileExistsW(destination + kBarcodeLibrary)) return;
    if (BarcodeClassRegistered()) return;
    // The class key as it was, and the registration, go into the journal
    // first. A class that is there already (without "ProgID", or closed to
    // this user) is registered over, which cannot be undone whole.
    const bool replacesAnother = TRegKey::Open(HKEY_CLASSES_ROOT, kBarcodeClassKey).IsOpen();
    if (!RecordKeyChange(HKEY_CLASSES_ROOT, kBarcodeClassKey) ||
        !RecordControlRegistration(destination + kBarcodeLibrary, replacesAnother))
        return;
    RegisterBarcodeControl(destination);
}

void RegisterBarcodeControl(const std::wstring& destination) {
    std::wstring batch = destination + L"RegActivex.bat";
    WriteBatchFile(batch, RegActivexBatchText(destination));
    RunBatchFile(batch);
}

void GrantFolderPermissions(const std::wstring& folder) {
    if (!FolderExists(folder)) return;
    // The folder's own access list as it was, when the installation did not make it.
    if (!RecordSecurityChange(folder)) return;
    std::wstring batch = IncludeBackslash(folder) + L"Permissions.bat";
    WriteBatchFile(batch, PermissionsBatchText(folder));
    RunBatchFile(batch);
}

void InstallMemoryManager(const std::wstring& destination) {
    const std::wstring windows = WindowsFolder();
    if (windows.size() < 3) return;  // the system named no Windows folder
    // The 16-bit "System" folder below the Windows folder, not System32.
    std::wstring target = windows + L"System\\borlndmm.dll";
    std::wstring source = destination + L"bin\\borlndmm.dll";
    // CopyFileW's fail-if-exists keeps a file that appears after the test.
    if (!FileExistsW(target) && FileExistsW(source) && RecordFileChange(target, TFileChange::Replace))
        CopyFileW(source.c_str(), target.c_str(), TRUE);
}

bool RunAndWait(const std::wstring& program) {
    RecordProgramRun(program);  // what it changes, nothing can undo
    return StartProgram(program, TStartWindow::AsItChooses, true);
}
