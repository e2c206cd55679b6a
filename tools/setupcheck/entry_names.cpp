#include "entry_names.h"

#include "windows_names.h"

namespace setupcheck {

std::wstring EntryNameProblem(const std::wstring& path) {
    // The component splits a name at its last '\' or ':' into folder and file
    // name, and takes "." and ".." at the end as folders.
    const size_t split = path.find_last_of(L"\\:");
    std::wstring folder = split == std::wstring::npos ? L"" : path.substr(0, split + 1);
    std::wstring name = split == std::wstring::npos ? path : path.substr(split + 1);
    if (name == L"." || name == L"..") folder += name + L"\\", name.clear();
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';

    size_t start = 0;
    for (size_t index = 0; start < folder.size(); ++index) {
        const size_t end = folder.find(L'\\', start);
        const std::wstring part = folder.substr(start, end - start);
        start = end + 1;
        if (part.empty()) {
            if (index == 0) return L"is an absolute name: the installer puts it below the install folder instead";
            continue;  // a doubled backslash changes nothing
        }
        if (index == 0 && part.back() == L':')
            return L"begins with the drive \"" + part + L"\": the installer drops it and puts the entry below the "
                                                         L"install folder";
        if (part == L"..") return L"holds \"..\": the installer drops it, so the entry lands in another folder than its name says";
        if (part.find(L':') != std::wstring::npos)
            return L"holds ':' in the folder name \"" + part + L"\": the installer writes '_' instead";
        if (part == L".") continue;
        const std::wstring problem = WindowsNameProblem(part);
        if (!problem.empty()) return L"Windows cannot create its folder \"" + part + L"\": " + problem;
    }
    if (name.empty()) return L"";
    const std::wstring problem = WindowsNameProblem(name);
    if (!problem.empty()) return L"Windows cannot create its file \"" + name + L"\": " + problem;
    return L"";
}

}  // namespace setupcheck
