#pragma once
// Picture decoding and drawing (GDI+ flat API on Windows).
namespace platform {

// Starts the picture decoder once for the whole process (GdiplusStartup, version 1); never shut
// down. A failure is ignored.
void StartPictureDecoder();

}  // namespace platform
