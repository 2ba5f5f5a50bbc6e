#include "store/source_blocks.h"

#include <algorithm>

#include "store/source.h"

Status ForEachBlock(const tp_source& source, std::uint64_t offset, std::uint64_t n, std::unique_ptr<char[]>& buffer,
                    const std::function<void(std::string_view block)>& block) {
  constexpr std::size_t kBlock = std::size_t{1} << 20;
  if (offset > source.size || n > source.size - offset) return Status::Failed("Read beyond the end of the file");
  for (std::uint64_t done = 0; done < n;) {
    const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, n - done));
    const char* bytes = source.memory != nullptr ? source.memory + offset + done : nullptr;
    if (bytes == nullptr) {
      if (!buffer) buffer.reset(new char[kBlock]);
      Status status = ReadSource(source, offset + done, buffer.get(), piece);
      if (!status.ok()) return status;
      bytes = buffer.get();
    }
    block(std::string_view(bytes, piece));
    done += piece;
  }
  return Status::Success();
}
