#pragma once
// The buttons that hand chunks to the Add dialog, the Viewer and extraction.
#include "platform/ui.h"

void AddChunkAction(ui::Window window);      // "Add Tailpack"
void PreviewAction(ui::Window window);       // "Preview"
void ExtractOneAction(ui::Window window);    // "Extract One"
void ExtractAllAction(ui::Window window);    // "Extract All"
