// What an installation of the product can change on the machine, taken whole
// so that a test can say the machine afterwards equals the machine before:
// every folder and file (with its bytes) below the folders a test names,
// the data folder C:\Zantivo, the Celartem settings' folder, the System
// folder's borlndmm.dll, and the registry keys of the product, its Apps &
// Features entry and the barcode control's class, value by value.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

using TMachineState = std::map<std::wstring, std::string>;

// The machine as the product's installation sees it, with the trees below folders.
TMachineState ProductMachineState(const std::vector<std::wstring>& folders);
// The first difference ("gone: ...", "changed: ...", "left behind: ..."), empty when there is none.
std::wstring FirstDifference(const TMachineState& expected, const TMachineState& actual);
