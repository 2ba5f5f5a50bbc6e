// The program's own path as the viewer tests choose it, so "temp.img" lands in their folder.
#include "platform/process.h"
#include "tests/viewer/module_path_stub.h"

namespace {
std::string gModulePath = "/nonexistent/stowr";
}  // namespace

void SetModulePathForTest(const std::string& path) { gModulePath = path; }

namespace platform {
std::string ModulePath() { return gModulePath; }
}  // namespace platform
