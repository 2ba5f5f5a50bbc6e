#include "cli/options.h"

namespace {

Options gOptions;

bool Allowed(std::string_view allowed, std::string_view option) {
  while (!allowed.empty()) {
    std::size_t space = allowed.find(' ');
    if (allowed.substr(0, space) == option) return true;
    allowed.remove_prefix(space == std::string_view::npos ? allowed.size() : space + 1);
  }
  return false;
}

}  // namespace

bool TakeOptions(Args& args, std::string_view allowed) {
  Args rest;
  bool ended = false;
  for (std::string& arg : args) {
    if (ended || arg.size() <= 2 || arg.compare(0, 2, "--") != 0) {
      if (!ended && arg == "--") ended = true;
      else rest.push_back(std::move(arg));
      continue;
    }
    if (!Allowed(allowed, arg)) return false;
    if (arg == kJsonOption) gOptions.json = true;
    if (arg == kHashOption) gOptions.hash = true;
    if (arg == kBreakSignatureOption) gOptions.breakSignature = true;
    if (arg == kAllowOwnerChangeOption) gOptions.allowOwnerChange = true;
  }
  args = std::move(rest);
  return true;
}

const Options& GivenOptions() { return gOptions; }
