// A program the installation tests copy under other names (a further
// installer, a decoy "Program.exe", regsvr32.exe or cacls.exe found first on
// the PATH) to see what was started, with which arguments, and when. Its
// environment says what to do:
//   PROBE_SLEEP_MS      waits that long first;
//   PROBE_LOG           appends a line: its own path, then each argument,
//                       tab-separated, in UTF-8.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::wstring Variable(const wchar_t* name) {
    wchar_t buffer[32768];
    DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
    return n > 0 && n < 32768 ? std::wstring(buffer, n) : std::wstring();
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void Append(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

int wmain() {
    if (std::wstring ms = Variable(L"PROBE_SLEEP_MS"); !ms.empty()) Sleep(static_cast<DWORD>(std::stoul(ms)));
    if (std::wstring log = Variable(L"PROBE_LOG"); !log.empty()) {
        wchar_t self[MAX_PATH];
        DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::string line = Utf8(std::wstring(self, n));
        int count = 0;
        wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
        for (int i = 1; args && i < count; ++i) line += "\t" + Utf8(args[i]);
        if (args) LocalFree(args);
        Append(log, line + "\n");
    }
    return 0;
}
