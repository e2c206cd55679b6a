#include "install/install_log.h"

#include <shlobj.h>

#include <cstdio>

#include "util/file_ops.h"
#include "util/path.h"
#include "util/win_error.h"

namespace {

std::wstring LocalTimeStamp() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u.%03u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
             now.wSecond, now.wMilliseconds);
    return text;
}

std::wstring Seconds(ULONGLONG milliseconds) {
    wchar_t text[32];
    swprintf(text, 32, L"%llu.%03llu s", milliseconds / 1000, milliseconds % 1000);
    return text;
}

TInstallLog* current = nullptr;

}  // namespace

TInstallLog::TInstallLog(const std::wstring& path) : path_(FullPathName(path)) {
    // The folder is made when missing: a fleet's log folder need not exist on every machine.
    const std::wstring folder = ExtractFolder(path_);
    if (folder.size() > 3) SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    file_.reset(CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) RaiseLastOSError(L"Creating the log file " + path_);
    DWORD written = 0;
    WriteFile(file_.get(), "\xEF\xBB\xBF", 3, &written, nullptr);
}

void TInstallLog::Line(const std::wstring& text) {
    // A text of several lines (a question, the usage) gives as many log
    // lines, each with the time, so the log stays one event per line.
    const std::wstring stamp = LocalTimeStamp() + L"  ";
    std::wstring lines = stamp;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\r' && text[i] != L'\n') {
            lines += text[i];
            continue;
        }
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        lines += L"\r\n" + stamp;
    }
    const std::string bytes = WideToUtf8(lines + L"\r\n");
    DWORD written = 0;
    // A log that cannot be written must not stop the installation it describes.
    WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void TInstallLog::BeginStep(const std::wstring& name) {
    EndStep();
    step_ = name;
    stepStart_ = GetTickCount64();
    Line(L"Step \"" + step_ + L"\": started");
}

void TInstallLog::EndStep() { CloseStep(L"done"); }

void TInstallLog::FailStep(const std::wstring& error) {
    if (step_.empty()) {
        Line(L"Error: " + error);
        return;
    }
    CloseStep(L"failed");
    Line(L"Error: " + error);
}

void TInstallLog::CloseStep(const std::wstring& outcome) {
    if (step_.empty()) return;
    Line(L"Step \"" + step_ + L"\": " + outcome + L" after " + Seconds(GetTickCount64() - stepStart_));
    step_.clear();
}

TInstallLog* InstallLog() { return current; }

TInstallLog* SetInstallLog(TInstallLog* log) {
    TInstallLog* previous = current;
    current = log;
    return previous;
}

void LogLine(const std::wstring& text) {
    if (current) current->Line(text);
}

void LogStep(const std::wstring& name) {
    if (current) current->BeginStep(name);
}

void LogStepDone() {
    if (current) current->EndStep();
}
