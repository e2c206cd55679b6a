// UnInstall.exe, the demo product's own uninstaller (the setup program has
// none). It removes what the installation put into its folder, as
// Uninstall.log and System.ini record it, then the folders that leaves empty,
// the log and, last, itself; and what the installation made for the product
// outside its folder, as far as it names this folder: the Apps & Features
// entry, the InstallPath value and the shortcuts (outside_traces.h). Nothing
// else outside its folder is touched.
//
//   UnInstall.exe [/quiet]
//
// It asks first unless /quiet is given. Exit codes: 0 removed; 1 the user
// declined; 2 no Uninstall.log beside it; 3 some files could not be removed
// (in use): everything else is gone, the log and the uninstaller stay for
// another try; 4 an unexpected failure.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "uninstall/inside_folder.h"
#include "install/installed_files.h"
#include "uninstall/outside_traces.h"
#include "uninstall/removal.h"
#include "uninstall/self_removal.h"
#include "util/error.h"
#include "util/file_ops.h"
#include "util/handles.h"
#include "util/hardening.h"
#include "util/path.h"

namespace {

enum ExitCode { kRemoved = 0, kDeclined = 1, kNoLog = 2, kFilesInUse = 3, kFailed = 4 };

std::vector<std::wstring> Arguments() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> result;
    for (int i = 1; i < count; ++i) result.emplace_back(arguments[i]);
    LocalFree(arguments);
    return result;
}

class TUninstaller {
public:
    explicit TUninstaller(bool quiet)
        : quiet_(quiet), program_(ModulePath()), folder_(ExtractFolder(FullPath(program_))),
          product_(InstalledProductName(folder_)) {}

    int Run() {
        const std::wstring log = folder_ + kUninstallLogName;
        if (!FileExistsW(log)) {
            Tell(L"There is no " + std::wstring(kUninstallLogName) + L" in " + folder_ +
                     L", so the uninstaller cannot tell which files belong to " + product_ + L".",
                 MB_ICONERROR);
            return kNoLog;
        }
        if (!quiet_ && Ask(L"Do you want to remove " + product_ + L" and all of its files from " + folder_ + L"?") !=
                           IDYES)
            return kDeclined;

        // System.ini is among the files removed: read its records first.
        std::vector<std::wstring> entries = ReadUninstallLog(log);
        for (std::wstring& recorded : ReadSetupRecords(folder_)) entries.push_back(std::move(recorded));
        TRemovalResult result = RemoveInstalledFiles(folder_, entries, program_);
        if (!result.failed.empty()) {
            ReportFilesInUse(result.failed);
            return kFilesInUse;
        }
        DeleteFileW(log.c_str());
        RemoveOutsideTraces(folder_, product_);
        if (!StartSelfRemoval(program_)) {
            MoveFileExW(program_.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
            MoveFileExW(folder_.substr(0, folder_.size() - 1).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        }
        Tell(product_ + L" was removed from your computer.", MB_ICONINFORMATION);
        return kRemoved;
    }

private:
    int Ask(const std::wstring& question) const {
        return MessageBoxW(nullptr, question.c_str(), Caption().c_str(), MB_YESNO | MB_ICONQUESTION);
    }
    void Tell(const std::wstring& text, UINT icon) const {
        if (!quiet_) MessageBoxW(nullptr, text.c_str(), Caption().c_str(), MB_OK | icon);
    }
    std::wstring Caption() const { return product_ + L" Uninstall"; }

    void ReportFilesInUse(const std::vector<std::wstring>& failed) const {
        constexpr size_t kShown = 10;
        std::wstring text = L"These files could not be removed; close the programs that use them and run the "
                            L"uninstaller again:\r\n";
        for (size_t i = 0; i < failed.size() && i < kShown; ++i) text += L"\r\n" + failed[i];
        if (failed.size() > kShown) text += L"\r\n... and " + std::to_wstring(failed.size() - kShown) + L" more";
        Tell(text, MB_ICONWARNING);
    }

    bool quiet_;
    std::wstring program_;
    std::wstring folder_;
    std::wstring product_;
};

}  // namespace

// Its copy runs from the temporary folder, and SYSTEM runs the quiet
// uninstall: hardened before anything else of it runs, its constructors
// included (the stack protector's run time loads a crypto provider in one).
[[gnu::constructor(101)]] static void HardenFirst() { HardenProcess(); }

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ComApartment com;  // the shortcuts are read through the shell link object
    std::vector<std::wstring> arguments = Arguments();
    bool quiet = false;
    for (const std::wstring& argument : arguments)
        quiet = quiet || CompareStringOrdinal(argument.c_str(), -1, L"/quiet", -1, TRUE) == CSTR_EQUAL;
    try {
        if (arguments.size() == 3 && arguments[0] == kRemoveOriginalSwitch)
            return FinishSelfRemoval(arguments[1], arguments[2]);
        return TUninstaller(quiet).Run();
    } catch (const EError& error) {
        if (!quiet) MessageBoxW(nullptr, error.Message().c_str(), L"Uninstall", MB_OK | MB_ICONERROR);
        return kFailed;
    }
}
