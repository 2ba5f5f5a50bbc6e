// GDI+ pictures drawn into graphic areas. Implements platform/image.h for Windows: the decoder's
// start, picture loading through the flat API, and STATIC controls that paint from an
// off-screen bitmap.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "platform/image.h"

// The few GDI+ flat functions used, declared here rather than through <gdiplus.h>, whose C++
// wrappers do not build cleanly with our warnings. Statuses are ints; 0 is Ok.
extern "C" {
struct GdiplusStartupInputV1 {
  UINT32 GdiplusVersion;
  void* DebugEventCallback;
  BOOL SuppressBackgroundThread;
  BOOL SuppressExternalCodecs;
};
int WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInputV1* input, void* output);
int WINAPI GdipLoadImageFromFile(const WCHAR* filename, void** image);
int WINAPI GdipGetImageWidth(void* image, UINT* width);
int WINAPI GdipGetImageHeight(void* image, UINT* height);
int WINAPI GdipDisposeImage(void* image);
int WINAPI GdipCreateFromHDC(HDC dc, void** graphics);
int WINAPI GdipDeleteGraphics(void* graphics);
int WINAPI GdipDrawImageRect(void* graphics, void* image, float x, float y, float width, float height);
}

namespace platform {
namespace {

constexpr UINT_PTR kAreaSubclassId = 0x5754;  // any value unique among this control's subclasses
constexpr const char* kAreaProperty = "stowr.GraphicArea";

// One graphic area: the control and the memory DC holding its bitmap.
struct GraphicArea {
  HWND control = nullptr;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previousBitmap = nullptr;
  int width = 0, height = 0;
};

GraphicArea* gTarget = nullptr;  // the current drawing target

void ReleaseArea(GraphicArea* area) {
  if (gTarget == area) gTarget = nullptr;
  if (area->dc != nullptr) {
    SelectObject(area->dc, area->previousBitmap);
    DeleteDC(area->dc);
  }
  if (area->bitmap != nullptr) DeleteObject(area->bitmap);
  delete area;
}

// The graphic area's window procedure in front of the STATIC one: it paints by copying the
// bitmap, so the owner-draw control never asks its parent to draw, and whatever was drawn while
// the window was hidden is there when it is shown. The bitmap goes with the control.
LRESULT CALLBACK AreaProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR refData) {
  auto* area = reinterpret_cast<GraphicArea*>(refData);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(control, &paint);
      BitBlt(dc, 0, 0, area->width, area->height, area->dc, 0, 0, SRCCOPY);
      EndPaint(control, &paint);
      return 0;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(control, AreaProc, kAreaSubclassId);
      RemovePropA(control, kAreaProperty);
      ReleaseArea(area);
      break;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

// The area behind a control, found through a window property (MinGW's comctl32 import library
// has no GetWindowSubclass by name).
GraphicArea* AreaOf(ui::Window window, int id) {
  HWND control = GetDlgItem(static_cast<HWND>(window), id);
  if (control == nullptr) return nullptr;
  return static_cast<GraphicArea*>(GetPropA(control, kAreaProperty));
}

void RepaintTarget() {
  if (gTarget != nullptr) InvalidateRect(gTarget->control, nullptr, FALSE);
}

}  // namespace

// GDI+ version 1, no debug callback, its background thread and external codecs left enabled, no
// start-up output. The token is not kept: GDI+ stays up until the process ends.
void StartPictureDecoder() {
  ULONG_PTR token = 0;
  const GdiplusStartupInputV1 input{1, nullptr, FALSE, FALSE};
  GdiplusStartup(&token, &input, nullptr);
}

// The path goes to GDI+ as UTF-16, converted from the system code page. Only an image that GDI+
// reports as loaded counts: a failing status never yields a picture.
Picture LoadPicture(const std::string& path) {
  const int wideSize = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (wideSize <= 0) return nullptr;
  std::wstring widePath(static_cast<std::size_t>(wideSize), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath.data(), wideSize);
  void* image = nullptr;
  if (GdipLoadImageFromFile(widePath.c_str(), &image) != 0 && image != nullptr) {
    GdipDisposeImage(image);
    image = nullptr;
  }
  return image;
}

std::uint32_t PictureWidth(Picture picture) {
  UINT width = 0;
  GdipGetImageWidth(picture, &width);
  return width;
}

std::uint32_t PictureHeight(Picture picture) {
  UINT height = 0;
  GdipGetImageHeight(picture, &height);
  return height;
}

void DisposePicture(Picture picture) {
  if (picture != nullptr) GdipDisposeImage(picture);
}

// The bitmap is compatible with the screen and as large as the control's client area (inside
// its sunken edge).
void AttachGraphicArea(ui::Window window, int id) {
  HWND control = GetDlgItem(static_cast<HWND>(window), id);
  if (control == nullptr) return;
  RECT client;
  GetClientRect(control, &client);
  auto* area = new GraphicArea;
  area->control = control;
  area->width = client.right;
  area->height = client.bottom;
  HDC screen = GetDC(nullptr);
  area->dc = CreateCompatibleDC(screen);
  area->bitmap = CreateCompatibleBitmap(screen, area->width, area->height);
  ReleaseDC(nullptr, screen);
  if (area->dc == nullptr || area->bitmap == nullptr) {
    ReleaseArea(area);
    return;
  }
  area->previousBitmap = SelectObject(area->dc, area->bitmap);
  FillRect(area->dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  if (!SetPropA(control, kAreaProperty, area)) {
    ReleaseArea(area);
    return;
  }
  if (!SetWindowSubclass(control, AreaProc, kAreaSubclassId, reinterpret_cast<DWORD_PTR>(area))) {
    RemovePropA(control, kAreaProperty);
    ReleaseArea(area);
    return;
  }
  gTarget = area;
}

void FillTarget(ui::Color color) {
  if (gTarget == nullptr) return;
  const RECT all{0, 0, gTarget->width, gTarget->height};
  HBRUSH brush = CreateSolidBrush(RGB(color.r, color.g, color.b));
  FillRect(gTarget->dc, &all, brush);
  DeleteObject(brush);
  RepaintTarget();
}

// The graphics object's status is not examined: a failed creation leaves it null, which
// DrawPicture and ReleaseGraphics accept.
Graphics GraphicsForTarget(ui::Window window, int id) {
  if (window != nullptr) gTarget = AreaOf(window, id);
  if (gTarget == nullptr) return nullptr;
  void* graphics = nullptr;
  GdipCreateFromHDC(gTarget->dc, &graphics);
  return graphics;
}

void DrawPicture(Graphics graphics, Picture picture, float x, float y, float width, float height) {
  if (graphics == nullptr || picture == nullptr) return;
  GdipDrawImageRect(graphics, picture, x, y, width, height);
  RepaintTarget();
}

void ReleaseGraphics(Graphics graphics) {
  if (graphics != nullptr) GdipDeleteGraphics(graphics);
}

}  // namespace platform
