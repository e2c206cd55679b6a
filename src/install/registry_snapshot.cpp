#include "install/registry_snapshot.h"

#include <sddl.h>

#include <cstdio>

#include "util/handles.h"

namespace {

constexpr wchar_t kUsersPrefix[] = L"HKEY_USERS\\";

std::wstring Joined(const std::wstring& parent, const std::wstring& child) {
    return parent.empty() ? child : parent + L"\\" + child;
}

void ReadTree(HKEY key, const std::wstring& relative, TKeySnapshot& snapshot) {
    if (!relative.empty()) snapshot.subkeys.push_back(relative);
    DWORD subkeyCount = 0, longestSubkey = 0, valueCount = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeyCount, &longestSubkey, nullptr, &valueCount,
                         &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0; i < valueCount; ++i) {
        std::wstring name(longestName + 1, L'\0');
        std::string data(longestData, '\0');
        DWORD nameLength = longestName + 1, dataLength = longestData, type = 0;
        if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                          &dataLength) != ERROR_SUCCESS)
            continue;
        name.resize(nameLength);
        data.resize(dataLength);
        snapshot.values.push_back({relative, name, type, data});
    }
    for (DWORD i = 0; i < subkeyCount; ++i) {
        std::wstring name(longestSubkey + 1, L'\0');
        DWORD length = longestSubkey + 1;
        if (RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) continue;
        name.resize(length);
        UniqueHKey sub;
        if (RegOpenKeyExW(key, name.c_str(), 0, KEY_READ, sub.put()) == ERROR_SUCCESS)
            ReadTree(sub.get(), Joined(relative, name), snapshot);
    }
}

std::wstring Hex(const std::string& bytes) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring text;
    for (unsigned char c : bytes) {
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text;
}

bool FromHex(const std::wstring& text, std::string& bytes) {
    if (text.size() % 2) return false;
    auto digit = [](wchar_t c) {
        if (c >= L'0' && c <= L'9') return c - L'0';
        if (c >= L'A' && c <= L'F') return c - L'A' + 10;
        return -1;
    };
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = digit(text[i]), low = digit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

std::wstring CurrentUserSid() {
    UniqueKernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::string buffer(size, '\0');
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
    std::wstring sid = text;
    LocalFree(text);
    return sid;
}

}  // namespace

TKeySnapshot SnapshotKey(HKEY root, const std::wstring& path) {
    TKeySnapshot snapshot;
    UniqueHKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return snapshot;
    snapshot.existed = true;
    ReadTree(key.get(), L"", snapshot);
    return snapshot;
}

bool RestoreKey(HKEY root, const std::wstring& path, const TKeySnapshot& snapshot) {
    const LSTATUS removed = RegDeleteTreeW(root, path.c_str());
    if (removed != ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND) return false;
    if (!snapshot.existed) return true;
    bool restored = true;
    auto make = [&](const std::wstring& relative) {
        UniqueHKey key;
        if (RegCreateKeyExW(root, Joined(path, relative).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                            nullptr, key.put(), nullptr) != ERROR_SUCCESS)
            restored = false;
        return key;
    };
    make(L"");
    for (const std::wstring& subkey : snapshot.subkeys) make(subkey);
    for (const TRegistryValue& value : snapshot.values) {
        UniqueHKey key = make(value.subkey);
        if (!key || RegSetValueExW(key.get(), value.name.c_str(), 0, value.type,
                                   reinterpret_cast<const BYTE*>(value.data.data()),
                                   static_cast<DWORD>(value.data.size())) != ERROR_SUCCESS)
            restored = false;
    }
    return restored;
}

std::vector<std::wstring> SnapshotFields(const TKeySnapshot& snapshot) {
    std::vector<std::wstring> fields{snapshot.existed ? L"1" : L"0"};
    for (const std::wstring& subkey : snapshot.subkeys) fields.push_back(L"K" + subkey);
    for (const TRegistryValue& value : snapshot.values) {
        fields.push_back(L"V" + value.subkey);
        fields.push_back(value.name);
        fields.push_back(std::to_wstring(value.type));
        fields.push_back(Hex(value.data));
    }
    return fields;
}

std::optional<TKeySnapshot> SnapshotFromFields(const std::vector<std::wstring>& fields, size_t first) {
    if (first >= fields.size() || (fields[first] != L"0" && fields[first] != L"1")) return std::nullopt;
    TKeySnapshot snapshot;
    snapshot.existed = fields[first] == L"1";
    for (size_t i = first + 1; i < fields.size(); ++i) {
        const std::wstring& field = fields[i];
        if (field.starts_with(L"K")) {
            snapshot.subkeys.push_back(field.substr(1));
            continue;
        }
        if (!field.starts_with(L"V") || i + 3 >= fields.size()) return std::nullopt;
        TRegistryValue value;
        value.subkey = field.substr(1);
        value.name = fields[i + 1];
        wchar_t* end = nullptr;
        value.type = static_cast<DWORD>(wcstoul(fields[i + 2].c_str(), &end, 10));
        if (fields[i + 2].empty() || *end || !FromHex(fields[i + 3], value.data)) return std::nullopt;
        snapshot.values.push_back(std::move(value));
        i += 3;
    }
    if (!snapshot.existed && (!snapshot.subkeys.empty() || !snapshot.values.empty())) return std::nullopt;
    return snapshot;
}

std::wstring RootName(HKEY root) {
    if (root == HKEY_LOCAL_MACHINE) return L"HKEY_LOCAL_MACHINE";
    if (root == HKEY_CLASSES_ROOT) return L"HKEY_CLASSES_ROOT";
    if (root == HKEY_CURRENT_USER) return kUsersPrefix + CurrentUserSid();
    return L"";
}

HKEY OpenRoot(const std::wstring& name) {
    if (name == L"HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
    if (name == L"HKEY_CLASSES_ROOT") return HKEY_CLASSES_ROOT;
    if (!name.starts_with(kUsersPrefix)) return nullptr;
    const std::wstring sid = name.substr(std::size(kUsersPrefix) - 1);
    if (sid.empty() || sid.find(L'\\') != std::wstring::npos) return nullptr;
    if (sid == CurrentUserSid()) return HKEY_CURRENT_USER;
    HKEY hive = nullptr;
    if (RegOpenKeyExW(HKEY_USERS, sid.c_str(), 0, KEY_READ | KEY_WRITE, &hive) != ERROR_SUCCESS) return nullptr;
    return hive;
}

void CloseRoot(HKEY root) {
    if (root && root != HKEY_LOCAL_MACHINE && root != HKEY_CLASSES_ROOT && root != HKEY_CURRENT_USER)
        RegCloseKey(root);
}
