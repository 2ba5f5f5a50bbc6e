#pragma once
// The Viewer window and the one control each of its views puts in it.
#include "platform/ui.h"
#include "platform/window_ids.h"  // kViewerTitle and kViewerPaneId, the text box or the graphic area

inline constexpr int kViewerWidth = 640, kViewerHeight = 320;  // client area
inline constexpr ui::Point kViewerOffset{-120, -70};            // outer corner from the owner's client origin

// The hidden Viewer owned by owner, placed from the owner's client origin, without controls.
ui::WindowLayout ViewerWindowLayout(ui::Window owner);
// The read-only text box of the text and hex views.
ui::ControlLayout TextBoxLayout();
// The owner-drawn area of the image view.
ui::ControlLayout GraphicAreaLayout();

// Runs the Viewer modally until the user closes it (close box, Alt+F4 or Escape).
void RunViewer(ui::Window viewer);
