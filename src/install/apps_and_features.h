// Apps & Features: after a successful installation the product is listed
// where Windows lists installed programs, with the commands that remove it
// again (asking, and without a question), so that a person finds it in the
// system's settings and a deployment engine can detect and remove it.
#pragma once

#include <cstdint>
#include <string>

class TUnZipper;

struct TUninstallEntry {
    std::wstring productName;  // the key's name and the name shown
    std::wstring folder;       // the install folder, ending in a backslash
    std::wstring mainProgram;  // the installed main program (its icon and version resource)
    uint64_t installedBytes = 0;
};

// Writes the product's key below HKEY_LOCAL_MACHINE\<kUninstallKey>, in
// place of an earlier one of that name: DisplayName, DisplayVersion and
// Publisher (the main program's version resource, when it has one),
// InstallLocation, DisplayIcon, UninstallString ("<folder>UnInstall.exe",
// quoted), QuietUninstallString (the same with /quiet), EstimatedSize (KiB),
// InstallDate (yyyymmdd, today), NoModify and NoRepair. True when every
// value was written.
bool RegisterUninstallEntry(const TUninstallEntry& entry);

// The installation's last step: registers the product when the payload the
// extractor read holds UnInstall.exe in its root and the installation put it
// into folder (without an uninstaller there is nothing to list). What it did
// goes to the installation's log; a registry that refuses is not an error
// of the installation.
void RegisterWithAppsAndFeatures(const TUnZipper& payload, const std::wstring& folder, const std::wstring& mainProgram,
                                 const std::wstring& productName);
