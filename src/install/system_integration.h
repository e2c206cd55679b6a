// The installation steps that reach outside the installed folder into
// Windows itself. D (or F) is a folder path ending with a backslash.
#pragma once

#include <string>

// The barcode ActiveX control's class identifier.
inline constexpr wchar_t kBarcodeClassKey[] = L"CLSID\\{C82070A1-A2C1-412D-B9FA-FEC9C34F2DF6}";

// Deletes D + "Bin\MorvexaDmsSdk.dll", left by an earlier installation;
// before extraction, so it stays gone unless the payload brings it again.
void RemoveStaleSdkDll(const std::wstring& destination);

// Registers D + "bin\PegasusImaging.ActiveX.BarcodeXpress5.dll" when the
// file is there and its class has no "ProgID" subkey under
// HKEY_CLASSES_ROOT (or cannot be opened with full access).
void EnsureBarcodeControl(const std::wstring& destination);
// Registers the control silently with the system folder's regsvr32, started
// by its full path and waited for; nothing is written to run it (a batch
// file in D could be swapped by anyone who may write there before it runs
// with administrator rights). A registration that fails leaves no trace but
// a line in the installation's log.
void RegisterBarcodeControl(const std::wstring& destination);

// Copies D + "bin\borlndmm.dll" to the Windows folder + "\System\borlndmm.dll"
// when no file is there yet; never replaces one. Failures are ignored.
void InstallMemoryManager(const std::wstring& destination);

// Starts exactly the program file at path (a further installer, shown as it
// chooses) and waits for it to end. False, without waiting, when it cannot
// be started (a file that is not a program, say).
bool RunAndWait(const std::wstring& program);
