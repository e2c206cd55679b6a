// Shortcuts made through the real shell link object and read back through
// IShellLinkW. The current user's shell folders are pointed at the test's own
// folders and put back afterwards (the suite holds a lock, since every process
// of the prefix shares them). Both keys are changed: the shell rewrites a
// "Shell Folders" value from "User Shell Folders" whenever it looks a folder
// up, as IShellLinkW::SetPath does for the desktop.
#include "install/shortcut.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "localisation/multi_language.h"
#include "support/link_files.h"
#include "support/registry_values.h"
#include "support/temp_folder.h"
#include "util/file_ops.h"
#include "util/handles.h"
#include "util/registry.h"

namespace {

// Every link file below a folder, as paths relative to it.
void FindLinks(const std::wstring& base, const std::wstring& relative, std::vector<std::wstring>& links) {
    WIN32_FIND_DATAW data;
    UniqueHFind find(FindFirstFileW((base + relative + L"*").c_str(), &data));
    if (!find) return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) FindLinks(base, relative + name + L"\\", links);
        else if (name.size() >= 4 && name.substr(name.size() - 4) == L".lnk") links.push_back(relative + name);
    } while (FindNextFileW(find.get(), &data));
}

// A test's machine: the shell folders in its temporary folder, the installed
// product in "Zantivo Sys\", and a catalogue whose message 00000_00016 names
// a shortcut without a target.
struct ShortcutWorld {
    ComApartment com;
    TempFolder temp;
    ValuesOverride shellFolders{kShellFoldersKey};
    ValuesOverride userShellFolders{kUserShellFoldersKey};
    std::wstring d = temp / L"Zantivo Sys\\";
    std::unique_ptr<TMultiLanguage> catalogue;

    ShortcutWorld() {
        for (const wchar_t* name : {L"Desktop", L"Programs", L"Start Menu", L"AppData"}) {
            MakeFolders(temp / name);
            shellFolders.SetString(name, temp / name);
            userShellFolders.SetString(name, temp / name);
        }
        shellFolders.Remove(L"Startup");
        userShellFolders.Remove(L"Startup");
        MakeFolders(temp / L"AppData\\Microsoft\\Internet Explorer\\Quick Launch");
        MakeFolders(d);
        WriteBytes(d + L"Zantivo.exe", "MZ");
        WriteBytes(d + L"Viewer.exe", "MZ");
        MakeFolders(temp / L"setup\\lang");
        WriteBytes(temp / L"setup\\lang\\Language.ini", "[System]\r\nLanguageList=EN\r\n");
        WriteUtf16File(temp / L"setup\\lang\\ResEN.ini", L"[Res]\r\n00000_00016=Zantivo Help\r\n");
        catalogue = std::make_unique<TMultiLanguage>(temp / L"setup\\Setup.exe");
    }
    std::vector<std::wstring> Links() const {
        std::vector<std::wstring> links;
        FindLinks(temp.Path(), L"", links);
        return links;
    }
};

}  // namespace

TEST(ShortcutTest, MakesTheLinkFileTheNameAndLocationGive) {
    struct Case {
        const char* what;
        const wchar_t* target;  // relative to D; null for no target
        const wchar_t* name;
        ShortcutLocation location;
        const wchar_t* group;
        const wchar_t* arguments;
        const wchar_t* link;         // relative to the test folder; null when none is made
        const wchar_t* description;
    } cases[] = {
        {"programs, new group", L"Zantivo.exe", L"Zantivo", slPrograms, L"Zantivo", L"",
         L"Programs\\Zantivo\\Zantivo.lnk", L"Zantivo"},
        {"desktop", L"Zantivo.exe", L"Zantivo", slDesktop, L"", L"", L"Desktop\\Zantivo.lnk", L"Zantivo"},
        {"empty name", L"Zantivo.exe", L"", slPrograms, L"Zantivo", L"", L"Programs\\Zantivo\\Zantivo.lnk",
         L"Zantivo.exe"},
        {"name with a dot", L"Viewer.exe", L"Viewer 2.0", slStartMenu, L"", L"", L"Start Menu\\Viewer 2.lnk",
         L"Viewer 2.0"},
        {"arguments", L"Viewer.exe", L"Viewer", slDesktop, L"", L"/scan \"a b\"", L"Desktop\\Viewer.lnk", L"Viewer"},
        {"quick launch", L"Viewer.exe", L"Viewer", slQuickLaunch, L"", L"",
         L"AppData\\Microsoft\\Internet Explorer\\Quick Launch\\Viewer.lnk", L"Viewer"},
        {"no target", nullptr, L"Ignored", slDesktop, L"", L"", L"Desktop\\Zantivo Help.lnk", L"Zantivo Help"},
        {"group of two levels", L"Viewer.exe", L"Viewer", slPrograms, L"Tools\\Viewer", L"", nullptr, nullptr},
        {"location 5", L"Viewer.exe", L"Viewer", static_cast<ShortcutLocation>(5), L"", L"", nullptr, nullptr},
        {"no Startup value", L"Viewer.exe", L"Viewer", slStartup, L"", L"", nullptr, nullptr},
        {"name outside the ANSI code page", L"Viewer.exe", L"\u041f\u0440\u043e\u0441\u043c\u043e\u0442\u0440",
         slDesktop, L"", L"", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShortcutWorld world;
        std::wstring target = c.target ? world.d + c.target : L"";

        bool made = CreateShortcut(*world.catalogue, target, c.name, c.location, c.group, c.arguments);

        EXPECT_EQ(made, c.link != nullptr);
        std::vector<std::wstring> expectedLinks;
        if (c.link) expectedLinks.push_back(c.link);
        ASSERT_EQ(world.Links(), expectedLinks);
        if (c.link) {
            LinkFields expected{target, c.target ? world.d : L"", c.description, c.arguments};
            EXPECT_EQ(ReadLink(world.temp / c.link), expected);
        }
        EXPECT_FALSE(FolderExists(world.temp / L"Programs\\Tools"));  // groups are one level deep
    }
}

TEST(ShortcutTest, ASecondRunReplacesTheLinkAndKeepsTheGroup) {
    ShortcutWorld world;
    EXPECT_TRUE(CreateShortcut(*world.catalogue, world.d + L"Viewer.exe", L"Zantivo", slPrograms, L"Zantivo"));
    EXPECT_TRUE(CreateShortcut(*world.catalogue, world.d + L"Zantivo.exe", L"Zantivo", slPrograms, L"Zantivo"));
    std::vector<std::wstring> expectedLinks = {L"Programs\\Zantivo\\Zantivo.lnk"};
    EXPECT_EQ(world.Links(), expectedLinks);
    EXPECT_EQ(ReadLink(world.temp / L"Programs\\Zantivo\\Zantivo.lnk").target, world.d + L"Zantivo.exe");
}

TEST(ShortcutTest, AFolderValueThatIsNoStringIsAnError) {
    ShortcutWorld world;
    world.shellFolders.SetNumber(L"Programs", 5);
    try {
        CreateShortcut(*world.catalogue, world.d + L"Zantivo.exe", L"Zantivo", slPrograms, L"Zantivo");
        ADD_FAILURE() << "no error";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), L"Invalid data type for 'Programs'");
    }
    EXPECT_TRUE(world.Links().empty());
    EXPECT_FALSE(FolderExists(world.temp / L"Programs\\Zantivo"));
    // The other folders still serve.
    EXPECT_TRUE(CreateShortcut(*world.catalogue, world.d + L"Zantivo.exe", L"Zantivo", slDesktop));
}
