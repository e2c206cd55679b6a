// The two batch files the installer writes next to their target and runs
// hidden: RegActivex.bat registers the barcode control, Permissions.bat opens
// a folder tree to everyone. Each deletes itself as its last command.
//
// cmd.exe reads a batch file in the console (OEM) code page and expands every
// "%" in it, so a folder is written in that code page with each "%" doubled.
// A folder with a letter the OEM code page lacks is written through "%~dp0"
// and "%CD%" instead, which cmd.exe fills in with the batch file's folder
// (RunBatchFile starts it there). For an ordinary ASCII folder the bytes are
// exactly the plain three lines.
#pragma once

#include <string>

// The three lines of D + "RegActivex.bat"; D ends with a backslash.
std::string RegActivexBatchText(const std::wstring& destination);
// The three lines of F + "Permissions.bat"; F ends with a backslash.
std::string PermissionsBatchText(const std::wstring& folder);

// Writes a batch file afresh (an existing one is deleted first); a failure to
// create or write it raises EInOutError.
void WriteBatchFile(const std::wstring& path, const std::string& text);
