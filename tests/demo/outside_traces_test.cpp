// What the uninstaller removes outside its folder: only what leads into its
// folder. Links in folders of the test's own; the registry under a product
// name of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "support/link_files.h"
#include "support/temp_folder.h"
#include "uninstall/outside_traces.h"
#include "util/handles.h"
#include "util/registry.h"
#include "wizard/product.h"

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(OutsideTracesTest, OnlyLinksIntoTheFolderGoAndOnlyGroupsTheyEmptied) {
    ComApartment com;
    TempFolder temp;
    const std::wstring product = temp / L"Apps\\Zantivo\\", other = temp / L"Apps\\Zantivo Old\\";
    const std::wstring desktop = temp / L"Desktop\\", programs = temp / L"Programs\\";
    for (const std::wstring& folder : {product + L"lang", other, desktop, programs + L"Zantivo",
                                       programs + L"Shared", programs + L"Empty"})
        MakeFolders(folder);
    const struct {
        std::wstring link, target;
        bool removed;
    } links[] = {
        {desktop + L"Zantivo.lnk", product + L"Zantivo.exe", true},
        {desktop + L"Old.lnk", other + L"Zantivo.exe", false},  // a folder that only begins like it
        {programs + L"Zantivo\\Zantivo.lnk", product + L"Zantivo.exe", true},
        {programs + L"Zantivo\\Manual.lnk", product + L"lang\\ZantivoEN.pdf", true},
        {programs + L"Shared\\Zantivo.lnk", product + L"Zantivo.exe", true},
        {programs + L"Shared\\Notes.lnk", L"C:\\windows\\notepad.exe", false},
        {desktop + L"Deep\\Zantivo.lnk", product + L"Zantivo.exe", false},  // the desktop has no groups
    };
    MakeFolders(desktop + L"Deep");
    for (const auto& link : links) WriteLink(link.link, link.target);

    TOutsideTraces removed;
    RemoveLinksInto(product, {{desktop, false}, {programs, true}}, removed);
    for (const auto& link : links) EXPECT_EQ(Exists(link.link), !link.removed) << WideToUtf8(link.link);
    EXPECT_EQ(removed.links.size(), 4u);
    // The emptied group goes; one that keeps the user's link, and one that was empty already, stay.
    EXPECT_EQ(removed.groups, std::vector<std::wstring>{programs + L"Zantivo"});
    EXPECT_TRUE(Exists(programs + L"Shared"));
    EXPECT_TRUE(Exists(programs + L"Empty"));
}

TEST(OutsideTracesTest, TheEntryAndTheValueGoOnlyWhenTheyNameTheFolder) {
    ComApartment com;
    TempFolder temp;
    const std::wstring folder = temp / L"Zantivo\\";
    const std::wstring product = L"Zantivo Traces " + std::to_wstring(GetCurrentProcessId());
    const std::wstring entry = kUninstallKey + product, key = ProductKeyPath(product);
    const struct {
        std::wstring recorded;
        bool removed;
    } cases[] = {{folder, true}, {temp / L"zantivo", true}, {temp / L"Zantivo Old\\", false}, {L"", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.recorded));
        TRegKey::OpenOrCreate(HKEY_LOCAL_MACHINE, entry).WriteString(L"InstallLocation", c.recorded);
        TRegKey::OpenOrCreate(HKEY_CURRENT_USER, key).WriteString(kInstallPathValue, c.recorded);
        const TOutsideTraces removed = RemoveOutsideTraces(folder, product);
        EXPECT_EQ(removed.appsAndFeatures, c.removed);
        EXPECT_EQ(removed.installPath, c.removed);
        EXPECT_EQ(TRegKey::Open(HKEY_LOCAL_MACHINE, entry).IsOpen(), !c.removed);
        // The product's key holds nothing else, so it goes with the value.
        EXPECT_EQ(TRegKey::Open(HKEY_CURRENT_USER, key).IsOpen(), !c.removed);
    }
    TRegKey::OpenOrCreate(HKEY_CURRENT_USER, key).WriteString(kInstallPathValue, folder);
    TRegKey::OpenOrCreate(HKEY_CURRENT_USER, key).WriteString(L"Other", L"kept");
    EXPECT_TRUE(RemoveOutsideTraces(folder, product).installPath);
    EXPECT_TRUE(TRegKey::Open(HKEY_CURRENT_USER, key).ValueExists(L"Other"));  // a key still in use stays
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, entry.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, key.substr(0, key.size() - 1).c_str());
}

}  // namespace
