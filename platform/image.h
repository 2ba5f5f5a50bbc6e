#pragma once
// Picture decoding and drawing (GDI+ flat API on Windows). Drawing goes to the off-screen bitmap
// of a graphic area: a STATIC control that paints itself by copying its bitmap. The most recently
// attached or chosen graphic area is the current drawing target.
#include <cstdint>
#include <string>

#include "platform/ui.h"

namespace platform {

using Picture = void*;   // a decoded image (GpImage*); null when nothing was decoded
using Graphics = void*;  // a drawing surface over the current target's bitmap (GpGraphics*)

// Starts the picture decoder once for the whole process (GdiplusStartup, version 1); never shut
// down. A failure is ignored.
void StartPictureDecoder();

// Decodes the picture file at path (single-byte path); null when it is no picture the decoder
// knows, or cannot be read.
Picture LoadPicture(const std::string& path);
std::uint32_t PictureWidth(Picture picture);
std::uint32_t PictureHeight(Picture picture);
void DisposePicture(Picture picture);  // null is allowed

// Turns control id of window (an existing STATIC control) into a graphic area: gives it an
// off-screen bitmap of its client size, compatible with the screen and filled with the system
// button-face colour, makes it paint from that bitmap, and makes it the current drawing target.
// The bitmap is released with the control.
void AttachGraphicArea(ui::Window window, int id);
// Fills the whole bitmap of the current drawing target and repaints the control.
void FillTarget(ui::Color color);

// When window is non-null, control id of window first becomes the current drawing target; then a
// drawing surface over the current target's bitmap is made. Null when there is no target.
Graphics GraphicsForTarget(ui::Window window, int id);
// Draws picture into the rectangle (pixels of the target's bitmap), unscaled when width and
// height are the picture's own, cut at the bitmap's edges; then repaints the control.
void DrawPicture(Graphics graphics, Picture picture, float x, float y, float width, float height);
void ReleaseGraphics(Graphics graphics);  // null is allowed

}  // namespace platform
