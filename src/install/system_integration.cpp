#include "install/system_integration.h"

#include <windows.h>

#include "install/install_log.h"
#include "util/change_recorder.h"
#include "util/file_ops.h"
#include "util/path.h"
#include "util/process.h"
#include "util/registry.h"
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
    const std::wstring system = SystemFolder();
    if (system.empty()) return;
    // The 32-bit program on 64-bit Windows names System32 and gets the 32-bit
    // regsvr32 from SysWOW64, as the 32-bit control needs; the 64-bit build's
    // regsvr32 hands a 32-bit control on to the 32-bit one by itself.
    // regsvr32 takes its arguments as the command line's words: the library
    // in double quotes is one word whatever its folder holds (no path holds
    // a quote), and no command interpreter reads it.
    const std::wstring library = destination + kBarcodeLibrary;
    const std::optional<unsigned long> exitCode =
        RunHiddenAndWait(system + L"\\regsvr32.exe", L"/s \"" + library + L"\"");
    if (!exitCode)
        LogLine(L"The barcode control " + library + L" was not registered: regsvr32 could not be started");
    else if (*exitCode != 0)
        LogLine(L"regsvr32 could not register the barcode control " + library + L" (exit code " +
                std::to_wstring(*exitCode) + L")");
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
