// A stand-in for the BarcodeXpress 5 ActiveX control, which the demo product
// and the installer's tests register through regsvr32: it registers its class
// identifier, with a "ProgID" subkey and InprocServer32 naming this DLL as it
// was loaded, and removes it again. It serves no objects.
#include <windows.h>
#include <olectl.h>

namespace {

#define CLASS_KEY L"CLSID\\{C82070A1-A2C1-412D-B9FA-FEC9C34F2DF6}"
constexpr wchar_t kClassKey[] = CLASS_KEY;
constexpr wchar_t kInprocKey[] = CLASS_KEY L"\\InprocServer32";
constexpr wchar_t kProgIdKey[] = CLASS_KEY L"\\ProgID";
constexpr wchar_t kProgId[] = L"PegasusImaging.BarcodeXpress5";

HMODULE module;

// Sets the default (or the named) string value of HKEY_CLASSES_ROOT\key.
LSTATUS SetText(const wchar_t* key, const wchar_t* name, const wchar_t* text) {
    HKEY handle = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                                     &handle, nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                            static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return status;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) module = instance;
    return TRUE;
}

extern "C" HRESULT WINAPI DllRegisterServer() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return SELFREG_E_CLASS;
    if (SetText(kClassKey, nullptr, L"BarcodeXpress 5 (stand-in)") != ERROR_SUCCESS ||
        SetText(kInprocKey, nullptr, path) != ERROR_SUCCESS ||
        SetText(kInprocKey, L"ThreadingModel", L"Apartment") != ERROR_SUCCESS ||
        SetText(kProgIdKey, nullptr, kProgId) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    return S_OK;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, kClassKey);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
