#pragma once
// The check a new chunk's type descriptor must pass before it is added.
#include <string>
#include <string_view>

#include "store/tailpack.h"

enum class DescriptorVerdict { Accepted, Invalid, InUse };

struct DescriptorCheck {
  DescriptorVerdict verdict = DescriptorVerdict::Invalid;
  std::string descriptor;  // the typed text trimmed and upper-cased
};

DescriptorCheck CheckDescriptor(std::string_view typed, const ChunkTable& table);
