#pragma once
#include <string>

// platform::ModulePath() returns path from now on.
void SetModulePathForTest(const std::string& path);
// platform::TempFolder() returns folder (with its trailing separator) from now on.
void SetTempFolderForTest(const std::string& folder);
