#include "support/link_files.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "util/error.h"
#include "util/handles.h"

void PrintTo(const LinkFields& f, std::ostream* out) {
    *out << "{target " << WideToUtf8(f.target) << ", folder " << WideToUtf8(f.folder) << ", description "
         << WideToUtf8(f.description) << ", arguments " << WideToUtf8(f.arguments) << "}";
}

LinkFields ReadLink(const std::wstring& path) {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    LinkFields fields;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())) ||
        FAILED(file->Load(path.c_str(), STGM_READ))) {
        ADD_FAILURE() << "cannot load the link " << WideToUtf8(path);
        return fields;
    }
    wchar_t text[INFOTIPSIZE] = {};
    if (link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK) fields.target = text;
    if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) fields.folder = text;
    if (SUCCEEDED(link->GetDescription(text, INFOTIPSIZE))) fields.description = text;
    if (SUCCEEDED(link->GetArguments(text, INFOTIPSIZE))) fields.arguments = text;
    return fields;
}


void WriteLink(const std::wstring& path, const std::wstring& target) {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())) || FAILED(link->SetPath(target.c_str())) ||
        FAILED(file->Save(path.c_str(), TRUE)))
        ADD_FAILURE() << "cannot save the link " << WideToUtf8(path);
}
