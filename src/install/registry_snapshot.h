// A registry key's whole tree as it stood before the installation wrote it:
// whether it existed, its subkeys, and every value (name, type, bytes), so
// that undoing the installation puts it back exactly, or removes it when the
// installation made it. Snapshots travel in the journal as text fields.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

struct TRegistryValue {
    std::wstring subkey;  // relative to the snapshot's key; empty for the key itself
    std::wstring name;
    DWORD type = REG_NONE;
    std::string data;
};

struct TKeySnapshot {
    bool existed = false;
    std::vector<std::wstring> subkeys;  // relative paths, parents before their children
    std::vector<TRegistryValue> values;
};

// The tree below root\path now (not existing when it cannot be opened for reading).
TKeySnapshot SnapshotKey(HKEY root, const std::wstring& path);
// Removes root\path and, when the snapshot says it existed, makes it again as
// it was. False when the system refused a part of it.
bool RestoreKey(HKEY root, const std::wstring& path, const TKeySnapshot& snapshot);

// The snapshot as fields of a journal record, and back (nothing when the
// fields are not a snapshot's).
std::vector<std::wstring> SnapshotFields(const TKeySnapshot& snapshot);
std::optional<TKeySnapshot> SnapshotFromFields(const std::vector<std::wstring>& fields, size_t first);

// The registry root as a journal names it. The current user's hive is named
// by the user's SID (HKEY_USERS\S-1-5-...), so that undoing it from another
// account (a deployment engine's recovery run) reaches that user's values.
std::wstring RootName(HKEY root);
// The root a journal names, opened: HKEY_CURRENT_USER for this process's own
// user; null for a name it does not know or a hive that is not loaded. The
// caller closes it with CloseRoot.
HKEY OpenRoot(const std::wstring& name);
void CloseRoot(HKEY root);
