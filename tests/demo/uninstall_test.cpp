// The product's uninstaller: which entries it accepts, how it reads the log,
// and UnInstall.exe itself run on a product folder, removing exactly what the
// installation recorded and then itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "demo/demo_programs.h"
#include "support/temp_folder.h"
#include "uninstall/inside_folder.h"
#include "install/installed_files.h"
#include "util/code_page.h"

namespace {

// A product folder "Program Files\ZantivoSys\" inside a temporary folder,
// so that the tests can see whether anything beside it is touched.
struct InstalledProduct {
    TempFolder root;
    std::wstring parent = root / L"Program Files\\";
    std::wstring folder = parent + L"ZantivoSys\\";
    std::wstring uninstaller = folder + L"UnInstall.exe";

    InstalledProduct() {
        MakeFolders(folder);
        EXPECT_TRUE(CopyFileW(DemoBuildFile(L"demo-product\\UnInstall.exe").c_str(), uninstaller.c_str(), FALSE));
    }
    void Put(const std::wstring& relative, const std::string& content = "data") const {
        std::wstring path = folder + relative;
        MakeFolders(path.substr(0, path.rfind(L'\\')));
        WriteBytes(path, content);
    }
    // Writes the log as the setup does: 8-bit profile writes, a path and a time per entry.
    void Log(int number, const std::wstring& path) const {
        std::string log = WideToAnsi(folder + L"Uninstall.log");
        WritePrivateProfileStringA("Zantivo", std::to_string(number).c_str(), WideToAnsi(path).c_str(), log.c_str());
        WritePrivateProfileStringA("Zantivo", ("D" + std::to_string(number)).c_str(), "1500000000", log.c_str());
    }
    // Started as its shortcut starts it, in the product folder.
    std::optional<DWORD> Uninstall(const std::wstring& arguments = L"/quiet") const {
        TStartedProgram program(uninstaller, arguments, folder);
        return program.WaitForExit();
    }
};

void CopyTree(const std::wstring& from, const std::wstring& to, std::vector<std::wstring>& copied,
              const std::wstring& relative = L"") {
    MakeFolders(to + relative);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((from + relative + L"*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CopyTree(from, to, copied, relative + name + L"\\");
        } else {
            ASSERT_TRUE(CopyFileW((from + relative + name).c_str(), (to + relative + name).c_str(), FALSE));
            copied.push_back(relative + name);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

}  // namespace

TEST(InsideFolderTest, AcceptsOnlyEntriesThatStayBelowTheFolder) {
    TempFolder dir;
    const std::wstring& folder = dir.Path();
    const std::wstring drive = folder.substr(0, 2);
    struct Case {
        std::wstring entry;
        const wchar_t* inside;  // the expected path below the folder, or null when refused
    };
    const Case cases[] = {
        {L"Zantivo.exe", L"Zantivo.exe"},
        {L"bin\\borlndmm.dll", L"bin\\borlndmm.dll"},
        {L"bin/deep/x.dat", L"bin\\deep\\x.dat"},
        {L"..\\outside.txt", nullptr},
        {L"bin\\..\\..\\outside.txt", nullptr},
        {L"lang\\..\\Zantivo.exe", nullptr},
        {L"...\\outside.txt", nullptr},
        {L". \\outside.txt", nullptr},
        {L".\\Zantivo.exe", nullptr},
        {L"bin\\\\x.dll", nullptr},
        {L"", nullptr},
        {L"\\Windows\\win.ini", nullptr},
        {L"/etc/passwd", nullptr},
        {folder + L"Zantivo.exe", nullptr},
        {drive + L"Zantivo.exe", nullptr},
        {L"\\\\server\\share\\x.dll", nullptr},
        {L"\\\\?\\" + folder + L"x.dll", nullptr},
        {L"notes.txt:hidden", nullptr},
        {L"CON", nullptr},
    };
    for (const Case& c : cases) {
        std::optional<std::wstring> resolved = ResolveInsideFolder(folder, c.entry);
        if (c.inside) {
            ASSERT_TRUE(resolved.has_value()) << WideToAnsi(c.entry);
            EXPECT_EQ(*resolved, folder + c.inside);
        } else {
            EXPECT_FALSE(resolved.has_value()) << WideToAnsi(c.entry) << " -> " << WideToAnsi(resolved.value_or(L""));
        }
    }
}

TEST(InstalledFilesTest, ReadsTheNumberedLogKeysInTheirOrderAndTheSetupsRecords) {
    TempFolder dir;
    const std::string accented = "caf\xE9.txt";  // 8-bit text in the system code page
    WriteBytes(dir / L"Uninstall.log",
               "[Other]\r\n0=not-this.txt\r\n"
               "[Zantivo]\r\n2=bin\\b.dll\r\nD2=1500000000\r\n0=Zantivo.exe\r\nD0=-1\r\n10=lang\\" +
                   accented + "\r\nD10=1500000000\r\nx=no-number.txt\r\n1a=no-number.txt\r\n");
    EXPECT_EQ(ReadUninstallLog(dir / L"Uninstall.log"),
              (std::vector<std::wstring>{L"Zantivo.exe", L"bin\\b.dll", L"lang\\" + AnsiToWide(accented)}));
    EXPECT_TRUE(ReadUninstallLog(dir / L"missing.log").empty());

    struct Case {
        std::string systemIni;
        std::vector<std::wstring> records;
        std::wstring name;
    };
    const Case cases[] = {
        {"[Setup]\r\nSetupname=Viewer\r\n[HelpFile]\r\nHelpFileName_2=QuickStart.pdf\r\n",
         {L"Viewer.exe", L"QuickStart.pdf"}, L"Viewer"},
        {"[Setup]\r\nSetupname=Zantivo\r\n[HelpFile]\r\nHelpFileName_1=a.pdf\r\nHelpFileName_5=b.pdf\r\n",
         {L"a.pdf", L"b.pdf"}, L"Zantivo"},
        {"[batch]\r\nroot_path=C:\\Zantivo\\\r\n", {}, L"Zantivo"},
    };
    for (const Case& c : cases) {
        WriteBytes(dir / L"System.ini", c.systemIni);
        EXPECT_EQ(ReadSetupRecords(dir.Path()), c.records) << c.systemIni;
        EXPECT_EQ(InstalledProductName(dir.Path()), c.name) << c.systemIni;
    }
}

TEST(UnInstallExeTest, RemovesExactlyTheListedFilesAndNothingOutsideItsFolder) {
    InstalledProduct product;
    WriteBytes(product.parent + L"outside.txt", "keep");
    MakeFolders(product.parent + L"Other");
    WriteBytes(product.parent + L"Other\\keep.txt", "keep");
    for (const wchar_t* file : {L"Zantivo.exe", L"System.ini", L"bin\\borlndmm.dll", L"bin\\deep\\x.dat",
                                L"lang\\ResEN.ini", L"lang\\notes.txt", L"ReadOnly.txt"})
        product.Put(file);
    SetFileAttributesW((product.folder + L"ReadOnly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    MakeFolders(product.folder + L"data");  // an empty folder of the user's

    const std::wstring hostile[] = {L"..\\outside.txt", product.parent + L"outside.txt",
                                    product.parent.substr(2) + L"outside.txt", L"lang\\..\\..\\outside.txt",
                                    L"..\\Other\\keep.txt", L"bin\\..\\..\\Other\\keep.txt", L"...\\outside.txt"};
    const std::wstring listed[] = {L"Zantivo.exe", L"bin\\borlndmm.dll", L"bin/deep/x.dat", L"lang\\ResEN.ini",
                                   L"gone.dll", L"UnInstall.exe", L"System.ini", L"ReadOnly.txt", L"bin"};
    int number = 0;
    for (const std::wstring& entry : listed) product.Log(number++, entry);
    for (const std::wstring& entry : hostile) product.Log(number++, entry);

    EXPECT_EQ(product.Uninstall(), 0u);
    for (const wchar_t* gone : {L"Zantivo.exe", L"System.ini", L"bin", L"lang\\ResEN.ini", L"ReadOnly.txt",
                                L"Uninstall.log"})
        EXPECT_FALSE(Exists(product.folder + gone)) << WideToAnsi(gone);
    for (const wchar_t* kept : {L"lang\\notes.txt", L"data"})
        EXPECT_TRUE(Exists(product.folder + kept)) << WideToAnsi(kept);
    EXPECT_EQ(ReadBytes(product.parent + L"outside.txt"), "keep");
    EXPECT_EQ(ReadBytes(product.parent + L"Other\\keep.txt"), "keep");
    // The uninstaller goes last, from its copy; the folder still holds the user's files.
    EXPECT_TRUE(WaitUntilGone(product.uninstaller));
    EXPECT_TRUE(Exists(product.folder));
}

TEST(UnInstallExeTest, LeavesNothingOfAWholeInstallationBehind) {
    InstalledProduct product;
    std::vector<std::wstring> payload;
    CopyTree(DemoBuildFile(L"demo-product\\"), product.folder, payload);
    ASSERT_GT(payload.size(), 8u);
    for (size_t i = 0; i < payload.size(); ++i) product.Log(static_cast<int>(i), payload[i]);
    // What the setup does after extracting: a rebranded name for the main
    // program, settings rewritten, a help file copied beside the payload.
    ASSERT_TRUE(MoveFileW((product.folder + L"Zantivo.exe").c_str(), (product.folder + L"Viewer.exe").c_str()));
    WritePrivateProfileStringW(L"Setup", L"Setupname", L"Viewer", (product.folder + L"System.ini").c_str());
    WritePrivateProfileStringW(L"System", L"Languare", L"2", (product.folder + L"lang\\Language.ini").c_str());
    product.Put(L"QuickStart.pdf", "%PDF-1.4");
    WritePrivateProfileStringW(L"HelpFile", L"HelpFileName_1", L"QuickStart.pdf",
                               (product.folder + L"System.ini").c_str());

    EXPECT_EQ(product.Uninstall(), 0u);
    EXPECT_TRUE(WaitUntilGone(product.folder)) << "the product folder is not empty or not removed";
    EXPECT_TRUE(Exists(product.parent));
}

TEST(UnInstallExeTest, KeepsTheLogAndItselfWhenAFileIsInUse) {
    InstalledProduct product;
    product.Put(L"Zantivo.exe");
    product.Put(L"bin\\borlndmm.dll");
    product.Log(0, L"Zantivo.exe");
    product.Log(1, L"bin\\borlndmm.dll");
    product.Log(2, L"UnInstall.exe");
    {
        LockedFile inUse(product.folder + L"bin\\borlndmm.dll");
        EXPECT_EQ(product.Uninstall(), 3u);
    }
    EXPECT_FALSE(Exists(product.folder + L"Zantivo.exe"));
    EXPECT_TRUE(Exists(product.folder + L"bin\\borlndmm.dll"));
    EXPECT_TRUE(Exists(product.folder + L"Uninstall.log"));
    Sleep(2000);  // time enough for a copy to remove the uninstaller, if one were started
    EXPECT_TRUE(Exists(product.uninstaller));

    // Once the file is free, another run finishes the job.
    EXPECT_EQ(product.Uninstall(), 0u);
    EXPECT_TRUE(WaitUntilGone(product.folder));
}

TEST(UnInstallExeTest, WithoutALogRemovesNothing) {
    InstalledProduct product;
    product.Put(L"Zantivo.exe");
    EXPECT_EQ(product.Uninstall(), 2u);
    EXPECT_TRUE(Exists(product.folder + L"Zantivo.exe"));
    EXPECT_TRUE(Exists(product.uninstaller));
}

TEST(UnInstallExeTest, AsksFirstAndRemovesNothingWhenTheUserDeclines) {
    InstalledProduct product;
    product.Put(L"Zantivo.exe");
    product.Log(0, L"Zantivo.exe");
    TStartedProgram program(product.uninstaller, L"", product.folder);
    HWND question = program.WaitForWindow(L"#32770");
    ASSERT_NE(question, nullptr) << "no confirmation box";
    EXPECT_EQ(WindowText(question), L"Zantivo Uninstall");
    EXPECT_NE(WindowText(GetDlgItem(question, 0xFFFF)).find(product.folder), std::wstring::npos);
    PostMessageW(question, WM_COMMAND, IDNO, 0);
    EXPECT_EQ(program.WaitForExit(), 1u);
    EXPECT_TRUE(Exists(product.folder + L"Zantivo.exe"));
    EXPECT_TRUE(Exists(product.folder + L"Uninstall.log"));
    EXPECT_TRUE(Exists(product.uninstaller));
}
