// Registry keys as the installer uses them: a key path passes through the
// ANSI code page (a character it lacks means the key cannot be opened),
// values are read and written as UTF-16 strings, and a value of another
// type is an error, as a settings reader that expects text would find it.
#pragma once

#include <windows.h>

#include <string>

#include "util/error.h"
#include "util/handles.h"

// A value that is not a string: "Invalid data type for '<name>'".
class ERegistryException : public EError {
public:
    using EError::EError;
};

class TRegKey {
public:
    // Opens an existing key; the result is not open on any failure.
    static TRegKey Open(HKEY root, const std::wstring& path, REGSAM access = KEY_READ);
    // Opens the key, creating it and its missing parents; not open on failure.
    static TRegKey OpenOrCreate(HKEY root, const std::wstring& path, REGSAM access = KEY_READ | KEY_WRITE);

    bool IsOpen() const { return static_cast<bool>(key_); }
    HKEY Handle() const { return key_.get(); }

    bool ValueExists(const std::wstring& name) const;
    // A string value (REG_SZ or REG_EXPAND_SZ, not expanded); empty when
    // missing; raises ERegistryException for a value of another type.
    std::wstring ReadString(const std::wstring& name) const;
    // Writes a REG_SZ value; false when the system refuses.
    bool WriteString(const std::wstring& name, const std::wstring& value);
    // Writes a REG_DWORD value; false when the system refuses.
    bool WriteInteger(const std::wstring& name, DWORD value);
    // Whether a subkey of that name exists below this key.
    bool HasSubKey(const std::wstring& name) const;

private:
    UniqueHKey key_;
};

// The current user's "Shell Folders" key, where the installer finds the
// desktop, programs and documents folders.
inline constexpr wchar_t kShellFoldersKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Below HKEY_LOCAL_MACHINE, where Windows lists the installed programs (Apps
// & Features): one subkey per product. The system redirects this key for a
// 32-bit program on 64-bit Windows into the 32-bit view
// (Software\WOW6432Node\...), where Apps & Features and winget look as well,
// so the 32-bit Setup.exe and the product's 32-bit uninstaller meet there.
inline constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
