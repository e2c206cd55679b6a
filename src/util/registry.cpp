#include "util/registry.h"

#include <vector>

#include "util/code_page.h"

namespace {

// Key paths pass through 8 bits; one the code page cannot carry opens nothing.
bool RepresentableKeyPath(const std::wstring& path) { return WideToAnsiExact(path).has_value(); }

// Leading backslashes are not part of a relative key path.
std::wstring RelativeKeyPath(const std::wstring& path) {
    size_t start = path.find_first_not_of(L'\\');
    return start == std::wstring::npos ? std::wstring() : path.substr(start);
}

}  // namespace

TRegKey TRegKey::Open(HKEY root, const std::wstring& path, REGSAM access) {
    TRegKey key;
    if (!RepresentableKeyPath(path)) return key;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, RelativeKeyPath(path).c_str(), 0, access, &handle) == ERROR_SUCCESS) key.key_.reset(handle);
    return key;
}

TRegKey TRegKey::OpenOrCreate(HKEY root, const std::wstring& path, REGSAM access) {
    TRegKey key;
    if (!RepresentableKeyPath(path)) return key;
    HKEY handle = nullptr;
    if (RegCreateKeyExW(root, RelativeKeyPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                        &handle, nullptr) == ERROR_SUCCESS)
        key.key_.reset(handle);
    return key;
}

bool TRegKey::ValueExists(const std::wstring& name) const {
    return IsOpen() && RegQueryValueExW(key_.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::wstring TRegKey::ReadString(const std::wstring& name) const {
    if (!IsOpen()) return {};
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw ERegistryException(L"Invalid data type for '" + name + L"'");
    // The value may change between the two calls; ask again while it grows.
    for (;;) {
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        LSTATUS status = RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type,
                                          reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (status == ERROR_MORE_DATA) {
            bytes = size;
            continue;
        }
        if (status != ERROR_SUCCESS) return {};
        std::wstring text(buffer.data(), size / sizeof(wchar_t));
        // Stored strings usually carry their terminating NUL; the text ends at the first one.
        if (size_t nul = text.find(L'\0'); nul != std::wstring::npos) text.resize(nul);
        return text;
    }
}

bool TRegKey::WriteString(const std::wstring& name, const std::wstring& value) {
    return IsOpen() && RegSetValueExW(key_.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool TRegKey::WriteInteger(const std::wstring& name, DWORD value) {
    return IsOpen() && RegSetValueExW(key_.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                      sizeof value) == ERROR_SUCCESS;
}

bool TRegKey::HasSubKey(const std::wstring& name) const {
    if (!IsOpen()) return false;
    HKEY sub = nullptr;
    if (RegOpenKeyExW(key_.get(), name.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) return false;
    RegCloseKey(sub);
    return true;
}
