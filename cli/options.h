#pragma once
// The options of stowr-cli: words starting with "--", anywhere among a command's arguments. A
// lone "--" ends them, so that a file whose name starts with "--" can still be named.
#include <string_view>

#include "cli/common.h"

inline constexpr std::string_view kJsonOption = "--json";
inline constexpr std::string_view kHashOption = "--hash";
inline constexpr std::string_view kBreakSignatureOption = "--break-signature";
inline constexpr std::string_view kAllowOwnerChangeOption = "--allow-owner-change";

struct Options {
  bool json = false;            // list: a JSON array
  bool hash = false;            // list --json: each chunk's SHA-256 too
  bool breakSignature = false;  // add, remove, strip: write even when a signature stops verifying
  bool allowOwnerChange = false;  // edits and extractions: replace a file that then has another owner
};

// Takes the options out of args, leaving the other arguments in their order. False (wrong usage)
// for an option that is not among allowed (names separated by spaces).
bool TakeOptions(Args& args, std::string_view allowed);
// The options taken for this run.
const Options& GivenOptions();
