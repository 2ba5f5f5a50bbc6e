// The native picture decoder: fake pictures by a fixed tag, every call recorded.
// Implements platform/image.h and platform/image_fake.h.
#include <charconv>
#include <fstream>
#include <iterator>

#include "platform/image.h"
#include "platform/image_fake.h"

namespace platform {
namespace {

struct FakePicture {
  std::uint32_t width = 0, height = 0;
};

int gGraphics = 0;  // a non-null handle for GraphicsForTarget to return
bool gHasTarget = false;

std::string ReadFile(const std::string& path, bool& found) {
  std::ifstream in(path, std::ios::binary);
  found = static_cast<bool>(in);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Parses "<w>x<h>" behind the tag; false when the bytes are no fake picture.
bool Decode(std::string_view bytes, FakePicture& picture) {
  if (!bytes.starts_with(fake::kFakePictureTag)) return false;
  const char* p = bytes.data() + fake::kFakePictureTag.size();
  const char* end = bytes.data() + bytes.size();
  auto [afterWidth, e1] = std::from_chars(p, end, picture.width);
  if (e1 != std::errc() || afterWidth == end || *afterWidth != 'x') return false;
  auto [afterHeight, e2] = std::from_chars(afterWidth + 1, end, picture.height);
  return e2 == std::errc();
}

void Record(std::string call) { fake::Images().calls.push_back(std::move(call)); }

}  // namespace

namespace fake {

std::string FakePicture(std::uint32_t width, std::uint32_t height) {
  return std::string(kFakePictureTag) + std::to_string(width) + "x" + std::to_string(height);
}

ImageRecord& Images() {
  static ImageRecord record;
  return record;
}

void ResetImages() {
  Images() = {};
  gHasTarget = false;
}

}  // namespace fake

void StartPictureDecoder() { Record("start"); }

Picture LoadPicture(const std::string& path) {
  Record("load");
  bool found = false;
  std::string bytes = ReadFile(path, found);
  fake::Images().loadedPaths.push_back(path);
  fake::Images().loadedBytes.push_back(found ? bytes : "<missing>");
  FakePicture decoded;
  if (!found || !Decode(bytes, decoded)) return nullptr;
  ++fake::Images().livePictures;
  return new FakePicture(decoded);
}

std::uint32_t PictureWidth(Picture picture) { return static_cast<FakePicture*>(picture)->width; }
std::uint32_t PictureHeight(Picture picture) { return static_cast<FakePicture*>(picture)->height; }

void DisposePicture(Picture picture) {
  Record("dispose");
  if (picture == nullptr) return;
  --fake::Images().livePictures;
  delete static_cast<FakePicture*>(picture);
}

void AttachGraphicArea(ui::Window, int id) {
  Record("attach " + std::to_string(id));
  gHasTarget = true;
}

void FillTarget(ui::Color color) {
  Record("fill " + std::to_string(color.r) + "," + std::to_string(color.g) + "," + std::to_string(color.b));
}

Graphics GraphicsForTarget(ui::Window window, int id) {
  Record("graphics " + std::to_string(window != nullptr) + " " + std::to_string(id));
  if (window != nullptr) gHasTarget = true;
  if (!gHasTarget) return nullptr;
  ++fake::Images().liveGraphics;
  return &gGraphics;
}

void DrawPicture(Graphics graphics, Picture picture, float x, float y, float width, float height) {
  if (graphics == nullptr || picture == nullptr) return;
  auto number = [](float f) { return std::to_string(static_cast<long long>(f)); };
  Record("draw " + number(x) + "," + number(y) + "," + number(width) + "," + number(height));
}

void ReleaseGraphics(Graphics graphics) {
  if (graphics == nullptr) return;
  Record("release graphics");
  --fake::Images().liveGraphics;
}

}  // namespace platform
