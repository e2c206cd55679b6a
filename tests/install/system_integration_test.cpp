// The system steps on the test prefix's real cmd.exe, regsvr32, registry and
// file system. A probe program (install_probe.exe) stands in for further
// installers, decoys and, put first on the PATH, for regsvr32 and cacls, so
// a test sees what the batch files started, with which arguments, and can
// copy a batch file while it runs, before it deletes itself.
#include "install/system_integration.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "install/batch_files.h"
#include "support/temp_folder.h"
#include "util/error.h"
#include "util/file_ops.h"
#include "util/registry.h"
#include "util/win_error.h"
#include "wizard/process.h"

namespace {

constexpr char kLibraryName[] = "PegasusImaging.ActiveX.BarcodeXpress5.dll";

// Sets a variable of this process, which the programs it starts inherit,
// for the object's lifetime.
class ScopedVariable {
public:
    ScopedVariable(std::wstring name, const std::wstring& value) : name_(std::move(name)) {
        wchar_t buffer[32768];
        DWORD n = GetEnvironmentVariableW(name_.c_str(), buffer, 32768);
        if (n > 0 && n < 32768) old_ = std::wstring(buffer, n);
        SetEnvironmentVariableW(name_.c_str(), value.c_str());
    }
    ~ScopedVariable() { SetEnvironmentVariableW(name_.c_str(), old_ ? old_->c_str() : nullptr); }
    static std::wstring Get(const std::wstring& name) {
        wchar_t buffer[32768];
        DWORD n = GetEnvironmentVariableW(name.c_str(), buffer, 32768);
        return n > 0 && n < 32768 ? std::wstring(buffer, n) : std::wstring();
    }

private:
    std::wstring name_;
    std::optional<std::wstring> old_;
};

void PlaceProbe(const std::wstring& path) {
    ASSERT_TRUE(CopyFileW((SetupFolder() + L"install_probe.exe").c_str(), path.c_str(), FALSE));
}

// The probe's log: one entry per start, its own path then its arguments.
std::vector<std::vector<std::wstring>> ProbeLog(const std::wstring& path) {
    std::vector<std::vector<std::wstring>> starts;
    if (!FileExistsW(path)) return starts;
    std::wstring text = Utf8ToWide(ReadBytes(path));
    size_t begin = 0;
    for (size_t end; (end = text.find(L'\n', begin)) != std::wstring::npos; begin = end + 1) {
        std::vector<std::wstring> fields;
        std::wstring line = text.substr(begin, end - begin);
        size_t from = 0;
        for (size_t tab; (tab = line.find(L'\t', from)) != std::wstring::npos; from = tab + 1)
            fields.push_back(line.substr(from, tab - from));
        fields.push_back(line.substr(from));
        starts.push_back(fields);
    }
    return starts;
}

std::string Ascii(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        EXPECT_LT(c, 0x80) << "the test expects an ASCII temporary folder";
        out += static_cast<char>(c);
    }
    return out;
}

// A test's probe set-up: a log, and probes named regsvr32.exe and cacls.exe
// in a folder put first on the PATH, so the batch files start them instead
// of the system's tools.
struct Probes {
    TempFolder tools;
    std::wstring log = tools / L"probe.log";
    ScopedVariable logVariable{L"PROBE_LOG", log};
    ScopedVariable path{L"PATH", tools.Path() + L";" + ScopedVariable::Get(L"PATH")};
    Probes() {
        PlaceProbe(tools / L"regsvr32.exe");
        PlaceProbe(tools / L"cacls.exe");
    }
    std::vector<std::vector<std::wstring>> Starts() const { return ProbeLog(log); }
};

// Folders below a test's temporary folder, and how the batch files must
// write them: console code page bytes with "%" doubled, or (null) through
// the batch file's own folder where the console code page lacks a letter.
struct FolderCase {
    const wchar_t* folder;
    const char* inBatch;
};
const FolderCase kFolderCases[] = {
    {L"Program Files\\ZantivoSys", "Program Files\\ZantivoSys"},  // a decoy T\Program.exe waits
    {L"100%", "100%%"},
    {L"a%OS%b", "a%%OS%%b"},
    {L"Caf\u00e9", "Caf\x82"},        // é: 0xE9 in the ANSI page 1252, 0x82 in the console page 437
    {L"A\u00e7\u00e3o", nullptr},     // ã is in 1252 but not in 437
};

std::wstring MakeCaseFolder(const TempFolder& temp, const FolderCase& c) {
    std::wstring folder = temp / c.folder + L"\\";
    MakeFolders(folder);
    PlaceProbe(temp / L"Program.exe");  // what an unquoted start of a path with spaces would run
    return folder;
}

// One run of a batch file in a case's folder, with the probes on the PATH;
// the probe copies the batch file while it runs.
struct CapturedRun {
    const FolderCase& c;
    TempFolder temp;
    Probes probes;
    std::wstring folder = MakeCaseFolder(temp, c);
    ScopedVariable copyFrom;
    ScopedVariable copyTo{L"PROBE_COPY_TO", temp / L"captured.bat"};
    ScopedVariable cd{L"CD", temp / L"elsewhere"};  // must not stand in for the batch file's folder

    CapturedRun(const FolderCase& folderCase, const wchar_t* batchName)
        : c(folderCase), copyFrom(L"PROBE_COPY_FROM", folder + batchName) {}
    std::string Captured() const { return ReadBytes(temp / L"captured.bat"); }
    // The case's folder as the batch file must write it.
    std::string Literal() const { return Ascii(temp.Path()) + c.inBatch; }
};

class BarcodeClass {
public:
    BarcodeClass() { Remove(); }
    ~BarcodeClass() { Remove(); }
    static void Remove() { RegDeleteTreeW(HKEY_CLASSES_ROOT, kBarcodeClassKey); }
    static bool HasProgId() {
        return TRegKey::Open(HKEY_CLASSES_ROOT, std::wstring(kBarcodeClassKey) + L"\\ProgID").IsOpen();
    }
    static std::wstring Server() {
        return TRegKey::Open(HKEY_CLASSES_ROOT, std::wstring(kBarcodeClassKey) + L"\\InprocServer32").ReadString(L"");
    }
};

void PlaceBarcodeLibrary(const std::wstring& destination) {
    MakeFolders(destination + L"bin");
    std::wstring standin = EnvironmentPath(L"BARCODE_STANDIN");
    ASSERT_FALSE(standin.empty()) << "BARCODE_STANDIN names the stand-in control";
    ASSERT_TRUE(CopyFileW(standin.c_str(), (destination + L"bin\\" + Utf8ToWide(kLibraryName)).c_str(), FALSE));
}

}  // namespace

TEST(BatchFileTest, RegActivexNamesTheLibraryExactlyAndDeletesItself) {
    for (const FolderCase& c : kFolderCases) {
        SCOPED_TRACE(WideToUtf8(c.folder));
        CapturedRun run(c, L"RegActivex.bat");

        RegisterBarcodeControl(run.folder);

        std::string expected =
            c.inBatch ? "@echo off\r\n"
                        "regsvr32 /s \"" + run.Literal() + "\\bin\\" + kLibraryName + "\"\r\n"
                        "del \"" + run.Literal() + "\\RegActivex.bat\"\r\n"
                      : std::string("@echo off\r\n"
                                    "regsvr32 /s \"%~dp0bin\\") + kLibraryName + "\"\r\n"
                                    "del \"%~f0\"\r\n";
        EXPECT_EQ(run.Captured(), expected);
        // regsvr32 was given exactly the library's path, and nothing else ran.
        std::vector<std::vector<std::wstring>> expectedStarts = {
            {run.probes.tools / L"regsvr32.exe", L"/s", run.folder + L"bin\\" + Utf8ToWide(kLibraryName)}};
        EXPECT_EQ(run.probes.Starts(), expectedStarts);
        EXPECT_FALSE(FileExistsW(run.folder + L"RegActivex.bat"));
    }
}

TEST(BatchFileTest, PermissionsGivesCaclsTheFolderWithoutItsBackslash) {
    for (const FolderCase& c : kFolderCases) {
        SCOPED_TRACE(WideToUtf8(c.folder));
        CapturedRun run(c, L"Permissions.bat");
        ScopedVariable input(L"PROBE_STDIN_TO", run.temp / L"stdin.txt");

        GrantFolderPermissions(run.folder);

        std::string expected =
            c.inBatch ? "@echo off\r\n"
                        "echo y|cacls \"" + run.Literal() + "\" /t /c /g everyone:F\r\n"
                        "del \"" + run.Literal() + "\\Permissions.bat\"\r\n"
                      : std::string("@echo off\r\n"
                                    "echo y|cacls \"%CD%\" /t /c /g everyone:F\r\n"
                                    "del \"%~f0\"\r\n");
        EXPECT_EQ(run.Captured(), expected);
        std::vector<std::vector<std::wstring>> expectedStarts = {
            {run.probes.tools / L"cacls.exe", run.temp / c.folder, L"/t", L"/c", L"/g", L"everyone:F"}};
        EXPECT_EQ(run.probes.Starts(), expectedStarts);
        EXPECT_EQ(ReadBytes(run.temp / L"stdin.txt"), "y\r\n");  // the answer to cacls' question
        EXPECT_FALSE(FileExistsW(run.folder + L"Permissions.bat"));
    }
}

// Started from the desktop or by a deployment engine, Setup has no console:
// the interpreter is then given one of its own (without a window), and the
// batch file runs as it does beside a console, its pipe included.
TEST(BatchFileTest, PermissionsRunAlikeFromAProgramWithoutAConsole) {
    FreeConsole();  // this test's process only (each test runs in a process of its own)
    ASSERT_EQ(GetConsoleCP(), 0u);
    CapturedRun run(kFolderCases[0], L"Permissions.bat");
    ScopedVariable input(L"PROBE_STDIN_TO", run.temp / L"stdin.txt");

    GrantFolderPermissions(run.folder);

    std::vector<std::vector<std::wstring>> expectedStarts = {
        {run.probes.tools / L"cacls.exe", run.temp / kFolderCases[0].folder, L"/t", L"/c", L"/g", L"everyone:F"}};
    EXPECT_EQ(run.probes.Starts(), expectedStarts);
    EXPECT_EQ(ReadBytes(run.temp / L"stdin.txt"), "y\r\n");
    EXPECT_FALSE(FileExistsW(run.folder + L"Permissions.bat"));
    EXPECT_EQ(GetConsoleCP(), 0u);  // the console was the interpreter's, not this process's
}

TEST(BatchFileTest, ABatchFileThatCannotBeWrittenIsAnInOutError) {
    TempFolder d;
    Probes probes;
    for (const wchar_t* name : {L"RegActivex.bat", L"Permissions.bat"}) {
        SCOPED_TRACE(WideToUtf8(name));
        LockedFile locked(d / name);
        try {
            if (name == std::wstring(L"RegActivex.bat")) RegisterBarcodeControl(d.Path());
            else GrantFolderPermissions(d.Path());
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Message(), L"File is in use: " + (d / name));
        }
    }
    EXPECT_TRUE(probes.Starts().empty());
}

TEST(BatchFileTest, NoPermissionsBatchForAMissingFolder) {
    TempFolder temp;
    Probes probes;
    GrantFolderPermissions(temp / L"missing\\");
    EXPECT_FALSE(FolderExists(temp / L"missing"));
    EXPECT_TRUE(probes.Starts().empty());
}

TEST(BatchFileTest, PermissionsRunsTheSystemsCacls) {
    TempFolder f;
    CreateDirectoryW((f / L"sub").c_str(), nullptr);
    WriteBytes(f / L"sub\\file.txt", "x");
    GrantFolderPermissions(f.Path());
    // The batch file ran to its last line; Wine's cacls only reports itself,
    // so the access lists themselves are not looked at here.
    EXPECT_FALSE(FileExistsW(f / L"Permissions.bat"));
    EXPECT_EQ(ReadBytes(f / L"sub\\file.txt"), "x");
}

// The interpreter starts in the batch file's folder with only ".\name" on its
// command line, so no character of the folder can break the start.
TEST(BatchStartTest, StartsABatchFileWhateverItsFolderHolds) {
    ScopedVariable mark(L"PROBE_MARK", L"kept");  // the rest of the environment is inherited
    for (const wchar_t* name : {L"a%OS%b", L"R&D (1) ^!x", L"100% Caf\u00e9 \u0414"}) {
        SCOPED_TRACE(WideToUtf8(name));
        TempFolder temp;
        std::wstring folder = temp / name + L"\\";
        MakeFolders(folder);
        ScopedVariable cd(L"CD", temp / L"elsewhere");
        WriteBytes(folder + L"t.bat", "@echo off\r\necho ran> ran.txt\r\nset> env.txt\r\n");
        EXPECT_TRUE(RunBatchFile(folder + L"t.bat"));
        EXPECT_EQ(ReadBytes(folder + L"ran.txt"), "ran\r\n");  // relative to the batch file's folder
        std::string environment = "\n" + ReadBytes(folder + L"env.txt");
        EXPECT_NE(environment.find("\nNoDefaultCurrentDirectoryInExePath=1\r\n"), std::string::npos);
        EXPECT_EQ(environment.find("\nCD="), std::string::npos);
        EXPECT_NE(environment.find("\nPROBE_MARK=kept\r\n"), std::string::npos);
    }
}

TEST(BarcodeControlTest, RegistersTheLibraryWhenItsClassIsMissing) {
    for (const FolderCase& c : kFolderCases) {
        SCOPED_TRACE(WideToUtf8(c.folder));
        TempFolder temp;
        BarcodeClass barcode;
        std::wstring d = MakeCaseFolder(temp, c);
        PlaceBarcodeLibrary(d);
        ScopedVariable log(L"PROBE_LOG", temp / L"probe.log");

        EnsureBarcodeControl(d);

        // The real regsvr32 loaded the library from its exact path, which
        // the library recorded as its server.
        EXPECT_TRUE(BarcodeClass::HasProgId());
        EXPECT_EQ(BarcodeClass::Server(), d + L"bin\\" + Utf8ToWide(kLibraryName));
        EXPECT_FALSE(FileExistsW(d + L"RegActivex.bat"));
        EXPECT_TRUE(ProbeLog(temp / L"probe.log").empty());  // the decoy did not run
    }
}

TEST(BarcodeControlTest, RegistersOnlyAPresentLibraryWhoseClassLacksProgId) {
    struct Case {
        const char* name;
        bool library;
        bool classKey;
        bool progId;
        bool registers;
    } cases[] = {
        {"registered", true, true, true, false},
        {"class without ProgID", true, true, false, true},
        {"class missing", true, false, false, true},
        {"library absent", false, false, false, false},
        {"library absent, registered", false, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder d;
        Probes probes;
        BarcodeClass barcode;
        if (c.library) PlaceBarcodeLibrary(d.Path());
        if (c.classKey) {
            ASSERT_TRUE(TRegKey::OpenOrCreate(HKEY_CLASSES_ROOT, kBarcodeClassKey).IsOpen());
        }
        if (c.progId) {
            ASSERT_TRUE(TRegKey::OpenOrCreate(HKEY_CLASSES_ROOT, std::wstring(kBarcodeClassKey) + L"\\ProgID").IsOpen());
        }

        EnsureBarcodeControl(d.Path());

        EXPECT_EQ(probes.Starts().size(), c.registers ? 1u : 0u);
        EXPECT_FALSE(FileExistsW(d / L"RegActivex.bat"));
    }
}

TEST(MemoryManagerTest, CopiesTheLibraryOnceAndNeverReplacesIt) {
    wchar_t windows[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::wstring target = std::wstring(windows) + L"\\System\\borlndmm.dll";
    // Whatever the prefix holds is put back afterwards.
    std::optional<std::string> before;
    if (FileExistsW(target)) before = ReadBytes(target);
    DeleteFileW(target.c_str());

    TempFolder d;
    InstallMemoryManager(d.Path());  // no library in the payload: nothing
    EXPECT_FALSE(FileExistsW(target));

    MakeFolders(d / L"bin");
    WriteBytes(d / L"bin\\borlndmm.dll", "first payload");
    InstallMemoryManager(d.Path());
    EXPECT_EQ(ReadBytes(target), "first payload");

    WriteBytes(d / L"bin\\borlndmm.dll", "second payload");
    InstallMemoryManager(d.Path());
    EXPECT_EQ(ReadBytes(target), "first payload");

    DeleteFileW(target.c_str());
    if (before) WriteBytes(target, *before);
}

TEST(RunAndWaitTest, StartsExactlyTheProgramAndWaitsForIt) {
    TempFolder temp;
    std::wstring installer = temp / L"Program Files\\Setups\\setup.exe";
    MakeFolders(temp / L"Program Files\\Setups");
    PlaceProbe(installer);
    PlaceProbe(temp / L"Program.exe");  // an unquoted command line would start this
    ScopedVariable log(L"PROBE_LOG", temp / L"probe.log");
    ScopedVariable sleep(L"PROBE_SLEEP_MS", L"700");  // the probe logs only after this

    EXPECT_TRUE(RunAndWait(installer));

    std::vector<std::vector<std::wstring>> expected = {{installer}};
    EXPECT_EQ(ProbeLog(temp / L"probe.log"), expected);
}

TEST(RunAndWaitTest, AFileThatIsNoProgramIsNotStarted) {
    TempFolder temp;
    WriteBytes(temp / L"readme.txt", "not a program\r\n");
    EXPECT_FALSE(RunAndWait(temp / L"readme.txt"));
    EXPECT_FALSE(RunAndWait(temp / L"missing.exe"));
}

TEST(SystemIntegrationTest, RemoveStaleSdkDllDeletesTheLibraryIfThere) {
    TempFolder d;
    MakeFolders(d / L"Bin");
    WriteBytes(d / L"Bin\\MorvexaDmsSdk.dll", "old");
    WriteBytes(d / L"Bin\\Other.dll", "kept");
    RemoveStaleSdkDll(d.Path());
    EXPECT_FALSE(FileExistsW(d / L"Bin\\MorvexaDmsSdk.dll"));
    EXPECT_TRUE(FileExistsW(d / L"Bin\\Other.dll"));
    RemoveStaleSdkDll(d.Path());  // already gone: nothing to report
}
