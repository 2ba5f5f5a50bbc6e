// The program's own path as a test chooses it, so that "temp.img" lands in the test's own folder.
#include "platform/process.h"
#include "tests/support/module_path_stub.h"

namespace {
std::string gModulePath = "/nonexistent/stowr";
}  // namespace

void SetModulePathForTest(const std::string& path) { gModulePath = path; }

namespace platform {
std::string ModulePath() { return gModulePath; }
}  // namespace platform
