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
#include "support/temp_folder.h"
#include "util/file_ops.h"
#include "util/handles.h"
#include "util/registry.h"

namespace {

constexpr wchar_t kUserShellFoldersKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// Changes values of a key of the current user and restores them, type and
// bytes, or removes them again when they were missing.
class ValuesOverride {
public:
    explicit ValuesOverride(const wchar_t* path) {
        RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key_.put(), nullptr);
    }
    ~ValuesOverride() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->present)
                RegSetValueExW(key_.get(), it->name.c_str(), 0, it->type, it->data.data(),
                               static_cast<DWORD>(it->data.size()));
            else
                RegDeleteValueW(key_.get(), it->name.c_str());
        }
    }
    void SetString(const std::wstring& name, const std::wstring& value) {
        Save(name);
        RegSetValueExW(key_.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    void SetNumber(const std::wstring& name, DWORD value) {
        Save(name);
        RegSetValueExW(key_.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    void Remove(const std::wstring& name) {
        Save(name);
        RegDeleteValueW(key_.get(), name.c_str());
    }

private:
    struct Saved {
        std::wstring name;
        bool present = false;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    void Save(const std::wstring& name) {
        Saved saved;
        saved.name = StoredName(name);
        DWORD size = 0;
        if (RegQueryValueExW(key_.get(), name.c_str(), nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
            saved.data.resize(size);
            saved.present = RegQueryValueExW(key_.get(), name.c_str(), nullptr, &saved.type, saved.data.data(),
                                             &size) == ERROR_SUCCESS;
        }
        saved_.push_back(saved);
    }

    // The value's name as stored ("StartUp" for "Startup"), so that it comes
    // back exactly as it was.
    std::wstring StoredName(const std::wstring& name) const {
        wchar_t stored[16384];
        for (DWORD i = 0;; ++i) {
            DWORD length = 16384;
            if (RegEnumValueW(key_.get(), i, stored, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                return name;
            if (_wcsicmp(stored, name.c_str()) == 0) return stored;
        }
    }

    UniqueHKey key_;
    std::vector<Saved> saved_;
};

struct LinkFields {
    std::wstring target, folder, description, arguments;
    bool operator==(const LinkFields&) const = default;
};

void PrintTo(const LinkFields& f, std::ostream* out) {
    *out << "{target " << WideToUtf8(f.target) << ", folder " << WideToUtf8(f.folder) << ", description "
         << WideToUtf8(f.description) << ", arguments " << WideToUtf8(f.arguments) << "}";
}

LinkFields ReadLink(const std::wstring& path) {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    LinkFields fields;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())) ||
        FAILED(file->Load(path.c_str(), STGM_READ))) {
        ADD_FAILURE() << "cannot load the link " << WideToUtf8(path);
        return fields;
    }
    wchar_t text[INFOTIPSIZE] = {};
    if (link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK) fields.target = text;
    if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) fields.folder = text;
    if (SUCCEEDED(link->GetDescription(text, INFOTIPSIZE))) fields.description = text;
    if (SUCCEEDED(link->GetArguments(text, INFOTIPSIZE))) fields.arguments = text;
    return fields;
}

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
