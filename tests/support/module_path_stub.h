#pragma once
#include <string>

// platform::ModulePath() returns path from now on.
void SetModulePathForTest(const std::string& path);
