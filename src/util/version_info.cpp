#include "util/version_info.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "util/system_library.h"

namespace {

// version.dll is no KnownDLL: it is loaded from the system folder when a
// version is first read (see util/system_library.h), never imported.
using GetFileVersionInfoSizeWFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
using GetFileVersionInfoWFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
using VerQueryValueWFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

constexpr wchar_t kVersionDll[] = L"version.dll";

struct TVersionApi {
    GetFileVersionInfoSizeWFn infoSize =
        SystemFunction<GetFileVersionInfoSizeWFn>(kVersionDll, "GetFileVersionInfoSizeW");
    GetFileVersionInfoWFn info = SystemFunction<GetFileVersionInfoWFn>(kVersionDll, "GetFileVersionInfoW");
    VerQueryValueWFn query = SystemFunction<VerQueryValueWFn>(kVersionDll, "VerQueryValueW");
    bool Loaded() const { return infoSize && info && query; }
};

const TVersionApi& VersionApi() {
    static const TVersionApi api;
    return api;
}

// A text of the resource's first language, or empty.
std::wstring StringValue(const std::vector<BYTE>& resource, const wchar_t* name) {
    struct Translation {
        WORD language, codePage;
    }* translations = nullptr;
    UINT size = 0;
    if (!VersionApi().query(resource.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                        &size) ||
        size < sizeof(Translation))
        return {};
    wchar_t path[64];
    swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language, translations[0].codePage, name);
    wchar_t* text = nullptr;
    if (!VersionApi().query(resource.data(), path, reinterpret_cast<void**>(&text), &size) || size == 0) return {};
    std::wstring value(text, size);
    if (size_t nul = value.find(L'\0'); nul != std::wstring::npos) value.resize(nul);
    return value;
}

}  // namespace

std::optional<TVersionInfo> ReadVersionInfo(const std::wstring& path) {
    const TVersionApi& api = VersionApi();
    if (!api.Loaded()) return std::nullopt;
    DWORD ignored = 0;
    const DWORD size = api.infoSize(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<BYTE> resource(size);
    if (!api.info(path.c_str(), 0, size, resource.data())) return std::nullopt;

    TVersionInfo info;
    info.productVersion = StringValue(resource, L"ProductVersion");
    info.companyName = StringValue(resource, L"CompanyName");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (info.productVersion.empty() && VersionApi().query(resource.data(), L"\\", reinterpret_cast<void**>(&fixed),
                                                      &fixedSize) && fixedSize >= sizeof *fixed) {
        wchar_t text[48];
        swprintf(text, 48, L"%u.%u.%u.%u", HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
                 HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS));
        info.productVersion = text;
    }
    return info;
}
