// Values of the current user's registry changed for one test and put back
// afterwards: the shell folders, above all, which every process of the Wine
// prefix shares (tests that use this hold a ctest lock).
#pragma once

#include <windows.h>

#include <string>
#include <initializer_list>
#include <vector>

#include "support/temp_folder.h"
#include "util/handles.h"
#include "util/registry.h"

inline constexpr wchar_t kUserShellFoldersKey[] =
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

// The user's shell folders of the given names pointed at new folders of the
// same names below base, in "Shell Folders" and "User Shell Folders" both:
// the shell rewrites the first from the second whenever it looks one up.
class ShellFoldersOverride {
public:
    ShellFoldersOverride(const std::wstring& base, std::initializer_list<const wchar_t*> names) {
        for (const wchar_t* name : names) {
            MakeFolders(base + name);
            shellFolders_.SetString(name, base + name);
            userShellFolders_.SetString(name, base + name);
        }
    }

private:
    ValuesOverride shellFolders_{kShellFoldersKey};
    ValuesOverride userShellFolders_{kUserShellFoldersKey};
};
