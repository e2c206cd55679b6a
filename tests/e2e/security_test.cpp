// The real Setup.exe and the product's uninstaller as a local user without
// rights would attack them: over a folder an earlier setup opened to
// everyone, and with DLLs named like Windows' own beside them.
//
// Wine keeps file security as Unix mode bits: an entry that lets everyone
// write is the "other" write bit, which is what is looked at here through
// the security API; an entry for Users is not kept (the log's SDDL shows
// what Windows gets).
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "e2e/setup_driver.h"
#include "support/registry_values.h"
#include "support/temp_folder.h"
#include "util/access_list.h"
#include "util/error.h"
#include "util/file_ops.h"
#include "util/handles.h"

namespace {

std::wstring StagedDemo() { return EnvironmentPath(L"SETUP_BUILD") + L"\\tests\\e2e-folders\\demo\\"; }

std::wstring EnvironmentValue(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
    return n > 0 && n < 32768 ? std::wstring(buffer, n) : std::wstring();
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }


std::vector<std::wstring> Below(const std::wstring& root) {
    std::vector<std::wstring> found;
    ForEachBelow(root, [&](const std::wstring& relative, bool) { found.push_back(relative); });
    return found;
}

void CopyTree(const std::wstring& from, const std::wstring& to) {
    MakeFolders(to);
    ForEachBelow(from, [&](const std::wstring& relative, bool isFolder) {
        if (isFolder) MakeFolders(to + relative);
        else ASSERT_TRUE(CopyFileW((from + relative).c_str(), (to + relative).c_str(), FALSE)) << WideToUtf8(relative);
    });
}

// What "cacls <folder> /t /c /g everyone:F" left: everyone may do everything
// to the folder and to each thing below it.
void OpenToEveryone(const std::wstring& folder) {
    AddAllowEntry(folder, {WinWorldSid, FILE_ALL_ACCESS, TInheritance::FoldersAndFiles});
    for (const std::wstring& relative : Below(folder))
        AddAllowEntry(folder + relative, {WinWorldSid, FILE_ALL_ACCESS, TInheritance::ThisOnly});
}

DWORD RunToEnd(const std::wstring& setupExe, const std::wstring& arguments) {
    TSetupDriver setup(setupExe, arguments);
    DWORD code = 12345;
    EXPECT_TRUE(setup.WaitForExit(180000, code));
    return code;
}

// The names of the programs that ran in Setup's job (itself and what it
// started), looked at every few milliseconds until it ends: a command
// interpreter running cacls lives for a tenth of a second at least.
DWORD RunWatched(const std::wstring& setupExe, const std::wstring& arguments, std::set<std::wstring>& programs) {
    UniqueKernelHandle job(CreateJobObjectW(nullptr, nullptr));
    std::wstring commandLine = L"\"" + setupExe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(setupExe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &info))
        return 12345;
    UniqueKernelHandle setup(info.hProcess), thread(info.hThread);
    EXPECT_TRUE(AssignProcessToJobObject(job.get(), setup.get()));
    ResumeThread(thread.get());
    for (int i = 0; i < 60000 && WaitForSingleObject(setup.get(), 5) == WAIT_TIMEOUT; ++i) {
        struct {
            JOBOBJECT_BASIC_PROCESS_ID_LIST list;
            ULONG_PTR more[63];
        } ids{};
        if (!QueryInformationJobObject(job.get(), JobObjectBasicProcessIdList, &ids, sizeof ids, nullptr)) continue;
        for (DWORD k = 0; k < ids.list.NumberOfProcessIdsInList; ++k) {
            UniqueKernelHandle process(
                OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(ids.list.ProcessIdList[k])));
            wchar_t name[MAX_PATH];
            DWORD size = MAX_PATH;
            if (process && QueryFullProcessImageNameW(process.get(), 0, name, &size)) {
                std::wstring program(name, size);
                program = program.substr(program.find_last_of(L'\\') + 1);
                for (wchar_t& c : program) c = towlower(c);
                programs.insert(program);
            }
        }
    }
    DWORD code = 12345;
    GetExitCodeProcess(setup.get(), &code);
    return code;
}

DWORD RunQuietUninstall(const std::wstring& uninstaller) {
    std::wstring commandLine = L"\"" + uninstaller + L"\" /quiet";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(uninstaller.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return 12345;
    UniqueKernelHandle processHandle(process.hProcess), thread(process.hThread);
    DWORD code = 12345;
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    GetExitCodeProcess(process.hProcess, &code);
    return code;
}

class SecurityTest : public ::testing::Test {
protected:
    void SetUp() override { ClearMachine(); }
    void TearDown() override { ClearMachine(); }
    static void ClearMachine() {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Zantivo");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kUninstallKey) + L"Zantivo").c_str());
        RemoveTree(L"C:\\Zantivo");
    }

    ComApartment com;
    TempFolder user;
    ShellFoldersOverride shellFolders{user.Path(), {L"Desktop", L"Programs", L"Personal"}};
};

}  // namespace

// An earlier setup gave everyone full control of the program folder and the
// data folder, and a user planted a DLL meanwhile. The next silent
// installation leaves nothing of the program writable by everyone, lets
// Users change the data folder, names the planted DLL, and starts no process
// for any of it (only the further installer runs).
TEST_F(SecurityTest, ASilentInstallationOverAFolderOpenedToEveryoneClosesIt) {
    const std::wstring d = user / L"Apps\\ZantivoSys\\", log = user / L"setup.log";
    ASSERT_EQ(RunToEnd(StagedDemo() + L"Setup.exe", L"/S /D=" + d), 0u);
    WriteBytes(d + L"bin\\dbghelp.dll", "MZ planted");
    OpenToEveryone(d);
    OpenToEveryone(L"C:\\Zantivo\\");
    ASSERT_TRUE(OpenToUsers(d + L"Zantivo.exe"));

    std::set<std::wstring> programs;
    ASSERT_EQ(RunWatched(StagedDemo() + L"Setup.exe", L"/S /LOG=\"" + log + L"\" /D=" + d, programs), 0u);

    std::vector<std::wstring> open;
    for (const std::wstring& path : {d, std::wstring(L"C:\\Zantivo\\")}) {
        if (OpenToUsers(path)) open.push_back(path);
        for (const std::wstring& relative : Below(path))
            if (OpenToUsers(path + relative)) open.push_back(path + relative);
    }
    EXPECT_TRUE(open.empty()) << WideToUtf8(open.front());
    EXPECT_TRUE(Exists(d + L"bin\\dbghelp.dll"));  // named, not removed

    const std::string text = ReadBytesWhileWritten(log);
    for (const std::wstring& line :
         {L"Access: " + d + L" was opened to users by an earlier setup",
          L"Warning: " + d + L"bin\\dbghelp.dll is a program file that no installation put there",
          std::wstring(L"Access: C:\\Zantivo\\ now allows BUILTIN\\Users (S-1-5-32-545) Modify, inherited by its "
                       L"folders and files: (A;OICI;0x1301bf;;;BU)"),
          L"Access: " + d + L"System.ini now allows BUILTIN\\Users (S-1-5-32-545) Modify, on itself only, not "
                            L"inherited: (A;;0x1301bf;;;BU)",
          L"Access: " + d + L"Lang\\ResEN.ini now allows"})
        EXPECT_NE(text.find(WideToUtf8(line)), std::string::npos) << WideToUtf8(line) << "\n" << text;
    EXPECT_EQ(text.find("Warning: " + WideToUtf8(d) + "Zantivo.exe"), std::string::npos);

    // The watch saw Setup itself; no command interpreter, cacls or icacls ran.
    EXPECT_TRUE(programs.contains(L"setup.exe"));
    for (const wchar_t* tool : {L"cmd.exe", L"cacls.exe", L"icacls.exe"}) EXPECT_FALSE(programs.contains(tool));
}

// Setup.exe in a download folder beside DLLs named like Windows' own, and the
// uninstaller beside the same, with Wine told to prefer a DLL it finds along
// Windows' search order to its own: none of them loads, and both work.
// Not planted: version.dll and imm32.dll, which Wine's own user32 imports or
// loads as the process starts, and which Wine then looks for beside the
// program, where Windows takes a KnownDLL's (user32's) imports from the
// system folder; Setup's own imports are KnownDLLs only (check_setup_exe.sh).
TEST_F(SecurityTest, DllsPlantedBesideSetupAndTheUninstallerDoNotLoad) {
    static const wchar_t* const kPlanted[] = {L"comctl32", L"comdlg32", L"uxtheme", L"dwmapi",   L"cryptbase",
                                              L"userenv",  L"profapi",  L"propsys", L"winmm",    L"secur32",
                                              L"netapi32", L"oleacc",   L"msimg32", L"riched20", L"dbghelp",
                                              L"crypt32",  L"wintrust", L"msctf"};
    const std::wstring planted = EnvironmentPath(L"SETUP_BUILD") + L"\\tests\\planted.dll";
    const std::wstring downloads = user / L"Downloads\\", d = user / L"Apps\\ZantivoSys\\";
    CopyTree(StagedDemo(), downloads);
    std::wstring overrides;
    auto plant = [&](const std::wstring& folder) {
        for (const wchar_t* name : kPlanted)
            ASSERT_TRUE(CopyFileW(planted.c_str(), (folder + name + L".dll").c_str(), FALSE));
    };
    for (const wchar_t* name : kPlanted) overrides += (overrides.empty() ? L"" : L",") + std::wstring(name);
    plant(downloads);
    const std::wstring before = EnvironmentValue(L"WINEDLLOVERRIDES");
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", (before + L";" + overrides + L"=n,b").c_str());

    const DWORD installed = RunToEnd(downloads + L"Setup.exe", L"/S /D=" + d);
    plant(d);
    const DWORD removed = RunQuietUninstall(d + L"UnInstall.exe");
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", before.c_str());

    EXPECT_EQ(installed, 0u);
    EXPECT_EQ(removed, 0u);
    EXPECT_FALSE(Exists(d + L"Zantivo.exe"));
    for (const std::wstring& folder : {downloads, d})
        for (const wchar_t* name : kPlanted)
            EXPECT_FALSE(Exists(folder + name + L".dll.loaded")) << WideToUtf8(folder + name) << ".dll loaded";
}
