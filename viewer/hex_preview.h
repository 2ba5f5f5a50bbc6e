#pragma once
// The text of the Viewer's hex view.
#include <cstddef>
#include <string>
#include <string_view>

inline constexpr std::size_t kHexPreviewLimit = 2048;  // bytes shown at most
inline constexpr std::string_view kTruncationLine = "\r\n[...] (Truncated)";

// Upper-case hexadecimal pairs, each followed by one space, for the first kHexPreviewLimit bytes,
// then kTruncationLine when bytes is longer than that.
std::string FormatHexPreview(std::string_view bytes);
