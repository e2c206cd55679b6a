#include "windows_names.h"

namespace setupcheck {
namespace {

bool IsReservedDeviceName(const std::wstring& name) {
    // The device names are reserved with any extension and in any letter case.
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    for (wchar_t& c : base)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL") return true;
    return base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
           base[3] >= L'1' && base[3] <= L'9';
}

}  // namespace

std::wstring WindowsNameProblem(const std::wstring& name) {
    if (name.empty()) return L"it is empty";
    if (name == L"." || name == L"..") return L"\"" + name + L"\" names a folder, not a new name";
    for (wchar_t c : name) {
        if (c < 0x20) return L"it holds a control character";
        if (std::wstring(L"<>:\"/\\|?*").find(c) != std::wstring::npos)
            return L"it holds '" + std::wstring(1, c) + L"', which Windows names cannot hold";
    }
    if (name.back() == L'.' || name.back() == L' ') return L"it ends in a dot or blank, which Windows drops";
    if (IsReservedDeviceName(name)) return L"it is a device name that Windows reserves";
    return L"";
}

}  // namespace setupcheck
