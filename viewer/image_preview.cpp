#include "viewer/image_preview.h"

#include "platform/files.h"
#include "platform/image.h"
#include "platform/process.h"
#include "store/chunk_data.h"
#include "viewer/viewer_window.h"

namespace {

constexpr ui::Color kImageBackground{211, 211, 211};

}  // namespace

// The folder keeps its trailing separator; either slash counts, so the native build works too. A
// module path without a folder (the system could not tell it) gives no path at all rather than
// one in whatever the current folder happens to be.
std::string TempImagePath(std::string_view modulePath) {
  std::size_t slash = modulePath.find_last_of("\\/");
  if (slash == std::string_view::npos) return "";
  return std::string(modulePath.substr(0, slash + 1)) + "temp.img";
}

std::string TempImagePath() { return TempImagePath(platform::ModulePath()); }

std::vector<std::string> TempImagePlaces() {
  std::vector<std::string> places;
  if (std::string beside = TempImagePath(); !beside.empty()) places.push_back(beside);
  if (std::string temp = platform::TempFolder(); !temp.empty()) places.push_back(temp + "temp.img");
  return places;
}

// The decoder reads pictures from files, so the chunk is copied (in blocks, never held whole)
// into one fixed temporary file; the Viewer is modal, so no two previews share it. A place whose
// write fails (a read-only folder, or a "temp.img" that cannot be replaced) gives way to the next;
// without any there is no picture: nothing is decoded, so a stale
// file of that name is never shown in place of the chunk. The picture is drawn once, into the area's
// bitmap, before the Viewer is shown; it is released before its file is deleted because the
// decoder keeps the file open while the picture lives.
bool ShowImagePreview(ui::Window viewer, const ChunkFile& exe, const ChunkRecord& record) {
  std::string path;
  for (const std::string& place : TempImagePlaces()) {
    if (ExtractChunk(exe, record, place).ok()) {
      path = place;
      break;
    }
    platform::RemoveFile(place);
  }
  if (path.empty()) return false;
  platform::Picture picture = platform::LoadPicture(path);
  if (picture == nullptr) {
    platform::RemoveFile(path);
    return false;
  }

  ui::AddControl(viewer, GraphicAreaLayout());
  platform::AttachGraphicArea(viewer, kViewerPaneId);
  platform::FillTarget(kImageBackground);
  const std::uint32_t width = platform::PictureWidth(picture);
  const std::uint32_t height = platform::PictureHeight(picture);
  platform::Graphics graphics = platform::GraphicsForTarget(nullptr, 0);
  platform::DrawPicture(graphics, picture, 0, 0, static_cast<float>(width), static_cast<float>(height));
  platform::ReleaseGraphics(graphics);

  RunViewer(viewer);

  platform::DisposePicture(picture);
  platform::RemoveFile(path);
  return true;
}
