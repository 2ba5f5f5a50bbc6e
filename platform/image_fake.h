#pragma once
// The picture decoder of the native build: it records what the logic asked for, and decodes a
// file as a picture exactly when its bytes start with kFakePictureTag followed by "<w>x<h>".
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::fake {

// Contains a zero byte, so a fake picture is a Binary chunk.
inline constexpr std::string_view kFakePictureTag = std::string_view("\0PIC", 4);

// The bytes of a fake picture of the given size.
std::string FakePicture(std::uint32_t width, std::uint32_t height);

struct ImageRecord {
  std::vector<std::string> calls;  // e.g. "load", "attach 1001", "fill 211,211,211", "draw 0,0,10,20"
  std::vector<std::string> loadedPaths;
  std::vector<std::string> loadedBytes;  // what each loaded file held when it was read
  int livePictures = 0;                  // decoded and not yet disposed
  int liveGraphics = 0;                  // made and not yet released
};

ImageRecord& Images();
void ResetImages();

}  // namespace platform::fake
