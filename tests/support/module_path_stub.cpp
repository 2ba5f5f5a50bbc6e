// The program's own path as a test chooses it, so that "temp.img" lands in the test's own folder.
#include "platform/process.h"
#include "tests/support/module_path_stub.h"

namespace {
std::string gModulePath = "/nonexistent/stowr";
std::string gTempFolder = "/nonexistent/tmp/";
}  // namespace

void SetModulePathForTest(const std::string& path) { gModulePath = path; }
void SetTempFolderForTest(const std::string& folder) { gTempFolder = folder; }

namespace platform {
std::string ModulePath() { return gModulePath; }
std::string TempFolder() { return gTempFolder; }
}  // namespace platform
