// Apps & Features: the entry an installation writes, read back from the
// registry, under a product name of this test's own; and the rule that only a
// payload holding the uninstaller gets one.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>

#include "install/apps_and_features.h"
#include "support/temp_folder.h"
#include "unzip/crafted_archive.h"
#include "unzip/unzipper.h"
#include "util/code_page.h"
#include "util/registry.h"
#include "util/version_info.h"

namespace {

std::wstring DemoZantivo() { return EnvironmentPath(L"SETUP_BUILD") + L"\\demo-product\\Zantivo.exe"; }

// Every value of a key: strings as they are, numbers in decimal.
std::map<std::wstring, std::wstring> Values(const std::wstring& path) {
    std::map<std::wstring, std::wstring> values;
    TRegKey key = TRegKey::Open(HKEY_LOCAL_MACHINE, path);
    for (DWORD i = 0; key.IsOpen(); ++i) {
        wchar_t name[256];
        BYTE data[2048];
        DWORD nameLength = 256, type = 0, size = sizeof data;
        if (RegEnumValueW(key.Handle(), i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        values[name] = type == REG_DWORD ? std::to_wstring(*reinterpret_cast<DWORD*>(data))
                                         : std::wstring(reinterpret_cast<wchar_t*>(data));
    }
    return values;
}

class AppsAndFeaturesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        ASSERT_TRUE(CopyFileW(DemoZantivo().c_str(), (folder + L"Zantivo.exe").c_str(), FALSE));
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
    }
    void TearDown() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str()); }

    TempFolder temp;
    std::wstring folder = temp / L"Zantivo Sys\\";
    const std::wstring product = L"Zantivo Test " + std::to_wstring(GetCurrentProcessId());
    const std::wstring key = kUninstallKey + product;
};

TEST_F(AppsAndFeaturesTest, TheEntryNamesTheProductItsVersionAndItsQuietRemoval) {
    TRegKey::OpenOrCreate(HKEY_LOCAL_MACHINE, key).WriteString(L"URLInfoAbout", L"an earlier version's");
    ASSERT_TRUE(RegisterUninstallEntry({product, folder, folder + L"Zantivo.exe", 5 * 1024 + 1}));
    SYSTEMTIME today;
    GetLocalTime(&today);
    wchar_t date[16];
    swprintf(date, 16, L"%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
    const std::wstring uninstaller = L"\"" + folder + L"UnInstall.exe\"";
    EXPECT_EQ(Values(key), (std::map<std::wstring, std::wstring>{
                               {L"DisplayName", product},
                               {L"DisplayVersion", L"1.0.0"},  // the demo program's version resource
                               {L"Publisher", L"Zantivo Imaging"},
                               {L"InstallLocation", folder},
                               {L"DisplayIcon", folder + L"Zantivo.exe"},
                               {L"UninstallString", uninstaller},
                               {L"QuietUninstallString", uninstaller + L" /quiet"},
                               {L"EstimatedSize", L"6"},  // KiB, rounded up
                               {L"InstallDate", date},
                               {L"NoModify", L"1"},
                               {L"NoRepair", L"1"},
                           }));

    // A main program without a version resource: no version and no publisher.
    WriteBytes(folder + L"Plain.exe", "MZ not much of a program");
    EXPECT_FALSE(ReadVersionInfo(folder + L"Plain.exe").has_value());
    ASSERT_TRUE(RegisterUninstallEntry({product, folder, folder + L"Plain.exe", 0}));
    EXPECT_EQ(Values(key).count(L"DisplayVersion") + Values(key).count(L"Publisher"), 0u);
    EXPECT_EQ(Values(key)[L"EstimatedSize"], L"0");
}

TEST_F(AppsAndFeaturesTest, OnlyAPayloadThatInstalledItsUninstallerIsListed) {
    WriteBytes(folder + L"UnInstall.exe", "an uninstaller");  // an earlier installation's, say
    const struct {
        std::vector<std::string> entries;
        bool listed;
    } cases[] = {
        {{"Zantivo.exe", "UnInstall.exe", "bin/"}, true},
        {{"Zantivo.exe", "uninstall.EXE"}, true},
        {{"Zantivo.exe", "bin/UnInstall.exe"}, false},
        {{"Zantivo.exe"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entries.back());
        std::vector<CraftedEntry> crafted;
        size_t files = 0;
        for (const std::string& name : c.entries) {
            CraftedEntry entry;
            entry.name = name;
            if (name.back() == '/') entry.externalAttributes = 0x10;
            else entry.data = std::string(1000, 'x'), ++files;
            crafted.push_back(entry);
        }
        WriteBytes(temp / L"Setup.dat", BuildArchive(crafted));
        TUnZipper payload;
        payload.SetZipName(WideToAnsi(temp / L"Setup.dat"));
        payload.ReadDirectory();
        RegisterWithAppsAndFeatures(payload, folder, folder + L"Zantivo.exe", product);
        const auto values = Values(key);
        EXPECT_EQ(values.count(L"QuietUninstallString"), c.listed ? 1u : 0u);
        if (c.listed) {
            EXPECT_EQ(values.at(L"EstimatedSize"), std::to_wstring((1000 * files + 1023) / 1024));
        }
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
    }
    DeleteFileW((folder + L"UnInstall.exe").c_str());
    RegisterWithAppsAndFeatures(TUnZipper(), folder, folder + L"Zantivo.exe", product);  // nothing installed it
    EXPECT_TRUE(Values(key).empty());
}

}  // namespace
