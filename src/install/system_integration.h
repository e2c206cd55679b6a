// The installation steps that register the product with the system.
#pragma once

#include <string>

// Gives every user full access to a folder (a hidden batch file running cacls), waiting until it has run.
void GrantFolderPermissions(const std::wstring& folder);
