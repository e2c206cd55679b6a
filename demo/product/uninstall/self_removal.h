// Removing the running uninstaller itself. Windows refuses to delete the file
// of a running program, so the uninstaller copies itself into a private
// folder under the temporary folder and starts the copy, which waits for
// this process to end, deletes the uninstaller's file and then its folder
// when that is empty. The copy cannot delete itself either: it leaves its
// own file and folder to the system's removal at the next restart, as
// installers' uninstallers commonly do, and the next run of an uninstaller
// removes the copies whose run has ended.
#pragma once

#include <string>

// The switch that starts the copy's part: "/remove-original HANDLE PROGRAM".
inline constexpr wchar_t kRemoveOriginalSwitch[] = L"/remove-original";

// Starts the copy for program (this process's own file); false when it could
// not be started, and then nothing is left in the temporary folder.
bool StartSelfRemoval(const std::wstring& program);

// The copy's part: originalHandle is the decimal value of an inherited
// handle to the original process. Deletes program once that process has
// ended (only a file of the copy's own name), then program's folder when it
// is empty. Returns 0 when program is gone.
int FinishSelfRemoval(const std::wstring& originalHandle, const std::wstring& program);
