#pragma once
// A range of a source handed over in blocks, so that a large range is never held whole.
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/status.h"
#include "store/tailpack.h"

// Hands block the n bytes of source at offset, in order, in pieces of at most 1 MiB read into
// buffer (allocated on first use); a source in memory is handed over in place. Fails with the
// reason of a failed read, or when the range does not lie inside the source.
Status ForEachBlock(const tp_source& source, std::uint64_t offset, std::uint64_t n, std::unique_ptr<char[]>& buffer,
                    const std::function<void(std::string_view block)>& block);
