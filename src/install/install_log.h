// The installation's log for administrators, the file that /LOG names: what
// Setup was asked to do, what it did, each step with its outcome and time,
// every error with its text, and the exit code. UTF-8 text with a
// byte-order mark, one line per event (a text of several lines gives as
// many), each beginning with the local time.
// Every line is written through at once, so a process that ends from
// anywhere (even at once, from inside a handler) leaves its whole log.
#pragma once

#include <windows.h>

#include <string>

#include "util/handles.h"

class TInstallLog {
public:
    // Creates the file (replacing an earlier one) and its missing folders;
    // raises EOSError when it cannot. While the log is open, other programs
    // may read the file but not write it: a second Setup given the same log
    // cannot garble this one.
    explicit TInstallLog(const std::wstring& path);
    TInstallLog(const TInstallLog&) = delete;
    TInstallLog& operator=(const TInstallLog&) = delete;

    // The file's full path.
    const std::wstring& Path() const { return path_; }
    void Line(const std::wstring& text);

    // Begins an installation step; the step before it, if one is open, ends
    // as done, with the time it took.
    void BeginStep(const std::wstring& name);
    // The open step, if any, ends as done.
    void EndStep();
    // The open step ends as failed with the error's text; without an open
    // step the error is logged on its own.
    void FailStep(const std::wstring& error);

private:
    void CloseStep(const std::wstring& outcome);

    std::wstring path_;
    UniqueHFile file_;
    std::wstring step_;
    ULONGLONG stepStart_ = 0;
};

// The program's log, or null when there is none (no /LOG).
TInstallLog* InstallLog();
// Installs a log (null: none) and returns the previous one.
TInstallLog* SetInstallLog(TInstallLog* log);
// The same, on the program's log when there is one; nothing otherwise.
void LogLine(const std::wstring& text);
void LogStep(const std::wstring& name);
void LogStepDone();
