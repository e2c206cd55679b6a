// The system steps on the test prefix's real regsvr32, registry and file
// system. A probe program (install_probe.exe) stands in for further
// installers and decoys: put first on the PATH and in the current folder
// under the names of the system's tools, it shows a tool that was looked up
// instead of started by its full path.
#include "install/system_integration.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "util/error.h"
#include "util/file_ops.h"
#include "util/registry.h"
#include "util/win_error.h"
#include "util/process.h"

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

// The names in a folder, "." and ".." left out.
std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    TFindEntries entries(folder + L"*", faAnyFile);
    for (TFindEntry entry; entries.Next(entry);)
        if (entry.name != L"." && entry.name != L"..") names.push_back(entry.name);
    return names;
}

// Probes named regsvr32.exe and cacls.exe in a folder put first on the
// PATH and made the current folder: a tool looked up by name instead of
// started by its full path would run one of them.
struct Probes {
    TempFolder tools;
    std::wstring log = tools / L"probe.log";
    ScopedVariable logVariable{L"PROBE_LOG", log};
    ScopedVariable path{L"PATH", tools.Path() + L";" + ScopedVariable::Get(L"PATH")};
    std::wstring previousFolder = CurrentFolder();
    Probes() {
        PlaceProbe(tools / L"regsvr32.exe");
        PlaceProbe(tools / L"cacls.exe");
        PlaceProbe(tools / L"cmd.exe");
        SetCurrentDirectoryW(tools.Path().c_str());
    }
    ~Probes() { SetCurrentDirectoryW(previousFolder.c_str()); }
    std::vector<std::vector<std::wstring>> Starts() const { return ProbeLog(log); }
    static std::wstring CurrentFolder() {
        wchar_t buffer[MAX_PATH];
        DWORD n = GetCurrentDirectoryW(MAX_PATH, buffer);
        return std::wstring(buffer, n);
    }
};

// Folders below a test's temporary folder whose names a command line or a
// batch file could misread: spaces (a decoy T\Program.exe waits), "%", and
// letters outside the console and ANSI code pages.
const wchar_t* const kFolderCases[] = {L"Program Files\\ZantivoSys", L"100%", L"a%OS%b", L"Caf\u00e9",
                                       L"A\u00e7\u00e3o \u0414"};

std::wstring MakeCaseFolder(const TempFolder& temp, const wchar_t* name) {
    std::wstring folder = temp / name + L"\\";
    MakeFolders(folder);
    PlaceProbe(temp / L"Program.exe");  // what an unquoted start of a path with spaces would run
    return folder;
}

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

// The system folder's regsvr32 is started by its full path, never looked up
// (the probes on the PATH and in the current folder stay silent), and given
// the library's exact path, whatever its folder holds; nothing is written
// into the folder to do it.
TEST(BarcodeControlTest, TheSystemsRegsvr32RegistersTheLibraryFromItsExactPath) {
    for (const wchar_t* name : kFolderCases) {
        SCOPED_TRACE(WideToUtf8(name));
        TempFolder temp;
        Probes probes;
        BarcodeClass barcode;
        std::wstring d = MakeCaseFolder(temp, name);
        PlaceBarcodeLibrary(d);
        ScopedVariable log(L"PROBE_LOG", temp / L"probe.log");

        EnsureBarcodeControl(d);

        // The real regsvr32 loaded the library, which recorded its own path as its server.
        EXPECT_TRUE(BarcodeClass::HasProgId());
        EXPECT_EQ(BarcodeClass::Server(), d + L"bin\\" + Utf8ToWide(kLibraryName));
        EXPECT_EQ(FolderEntries(d), std::vector<std::wstring>{L"bin"});
        EXPECT_TRUE(ProbeLog(temp / L"probe.log").empty());  // the decoy did not run
        EXPECT_TRUE(probes.Starts().empty());
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
        BarcodeClass barcode;
        if (c.library) PlaceBarcodeLibrary(d.Path());
        // An earlier server that a registration would replace.
        if (c.classKey) {
            ASSERT_TRUE(TRegKey::OpenOrCreate(HKEY_CLASSES_ROOT, std::wstring(kBarcodeClassKey) + L"\\InprocServer32")
                            .WriteString(L"", L"earlier.dll"));
        }
        if (c.progId) {
            ASSERT_TRUE(TRegKey::OpenOrCreate(HKEY_CLASSES_ROOT, std::wstring(kBarcodeClassKey) + L"\\ProgID").IsOpen());
        }

        EnsureBarcodeControl(d.Path());

        const std::wstring expected =
            c.registers ? d / L"bin\\" + Utf8ToWide(kLibraryName) : (c.classKey ? L"earlier.dll" : L"");
        EXPECT_EQ(BarcodeClass::Server(), expected);
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
