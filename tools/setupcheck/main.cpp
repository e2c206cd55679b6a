// The setupcheck command; see setup_check.h.
#include <cstdio>
#include <string>
#include <vector>

#include "setup_check.h"
#include "util/error.h"

#ifdef _WIN32
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    // The report is UTF-8, so a console shows every language's text.
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::wstring> arguments(argv + 1, argv + argc);
#else
int main(int argc, char** argv) {
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(Utf8ToWide(argv[i]));
#endif
    std::string out, err;
    const int status = setupcheck::RunSetupCheck(arguments, out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return status;
}
