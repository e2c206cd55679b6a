// What the uninstaller removes outside its folder: only the registry's
// entries that name its folder (under a product name of the test's own).
// Its links are tested with the whole installation (tests/e2e/deploy_test.cpp).
#include <windows.h>

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "uninstall/outside_traces.h"
#include "util/handles.h"
#include "util/registry.h"
#include "wizard/product.h"

namespace {

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
