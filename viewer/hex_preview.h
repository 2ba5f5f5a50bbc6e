#pragma once
// The text of the Viewer's hex view.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::size_t kHexPreviewLimit = 2048;  // bytes shown at most
inline constexpr std::string_view kTruncationLine = "\r\n[...] (Truncated)";

// Upper-case hexadecimal pairs, each followed by one space, for the first kHexPreviewLimit bytes,
// then kTruncationLine when bytes is longer than that.
std::string FormatHexPreview(std::string_view bytes);
// The same from the first bytes of a chunk of `length` bytes, all that the view needs to read.
std::string FormatHexPreview(std::string_view firstBytes, std::uint64_t length);
