#include "install/batch_files.h"

#include <windows.h>

#include <optional>

#include "util/change_recorder.h"
#include "util/code_page.h"
#include "util/file_ops.h"
#include "util/handles.h"
#include "util/path.h"
#include "util/win_error.h"

namespace {

constexpr char kBarcodeLibrary[] = "bin\\PegasusImaging.ActiveX.BarcodeXpress5.dll";

// A path as cmd.exe reads it literally inside double quotes: console code
// page bytes with every "%" doubled (quotes keep "&", "^", "|" and spaces
// literal, and no path holds a quote). Nothing when a letter is missing
// from the console code page.
std::optional<std::string> LiteralInBatch(const std::wstring& path) {
    std::optional<std::string> oem = WideToOemExact(path);
    if (!oem) return std::nullopt;
    std::string text;
    for (char c : *oem) {
        text += c;
        if (c == '%') text += '%';
    }
    return text;
}

std::string Lines(const std::string& second, const std::string& third) {
    return "@echo off\r\n" + second + "\r\n" + third + "\r\n";
}

}  // namespace

std::string RegActivexBatchText(const std::wstring& destination) {
    std::optional<std::string> folder = LiteralInBatch(destination);
    // The batch file lies in D itself, so "%~dp0" is D and "%~f0" the batch file.
    std::string library = (folder ? *folder : "%~dp0") + kBarcodeLibrary;
    std::string self = folder ? *folder + "RegActivex.bat" : "%~f0";
    return Lines("regsvr32 /s \"" + library + "\"", "del \"" + self + "\"");
}

std::string PermissionsBatchText(const std::wstring& folder) {
    std::wstring bare = folder;
    if (!bare.empty() && bare.back() == L'\\') bare.pop_back();
    std::optional<std::string> target = LiteralInBatch(bare);
    std::optional<std::string> self = LiteralInBatch(IncludeBackslash(folder) + L"Permissions.bat");
    if (target && self)
        return Lines("echo y|cacls \"" + *target + "\" /t /c /g everyone:F", "del \"" + *self + "\"");
    // Started in F, the batch file reads F as "%CD%", without the backslash.
    return Lines("echo y|cacls \"%CD%\" /t /c /g everyone:F", "del \"%~f0\"");
}

void WriteBatchFile(const std::wstring& path, const std::string& text) {
    if (!RecordFileChange(path, TFileChange::Replace)) throw EInOutError(GetLastError(), path);
    if (FileExistsW(path)) RemoveFile(path);
    UniqueHFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw EInOutError(GetLastError(), path);
    DWORD written = 0;
    if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
        throw EInOutError(GetLastError(), path);
    if (written != text.size()) throw EInOutError(ERROR_HANDLE_DISK_FULL, path);
}
