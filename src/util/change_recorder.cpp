#include "util/change_recorder.h"

namespace {

TChangeRecorder* current = nullptr;

}  // namespace

TChangeRecorder* ChangeRecorder() { return current; }

TChangeRecorder* SetChangeRecorder(TChangeRecorder* recorder) {
    TChangeRecorder* previous = current;
    current = recorder;
    return previous;
}

bool RecordFolderCreation(const std::wstring& folder) { return !current || current->BeforeCreatingFolder(folder); }

bool RecordFileChange(const std::wstring& path, TFileChange change) {
    return !current || current->BeforeChangingFile(path, change);
}

void RecordFilesReplacement(const std::vector<std::wstring>& paths) {
    if (current) current->BeforeReplacingFiles(paths);
}

bool RecordKeyChange(HKEY root, const std::wstring& path) { return !current || current->BeforeChangingKey(root, path); }

bool RecordSecurityChange(const std::wstring& path) { return !current || current->BeforeChangingSecurity(path); }

bool RecordControlRegistration(const std::wstring& library, bool replacesAnother) {
    return !current || current->BeforeRegisteringControl(library, replacesAnother);
}

void RecordProgramRun(const std::wstring& program) {
    if (current) current->BeforeRunningProgram(program);
}
