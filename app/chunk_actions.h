#pragma once
// The buttons that hand chunks to the Add dialog, the Viewer and extraction.
#include <string>

#include "platform/ui.h"

void AddChunkAction(ui::Window window);      // "Add Tailpack"
// The rest of "Add Tailpack" once file is chosen and the executable checked: the Add dialog, the
// append, the refresh.
void AddFileAsChunk(ui::Window window, const std::string& file);
void PreviewAction(ui::Window window);       // "Preview"
void ExtractOneAction(ui::Window window);    // "Extract One"
void ExtractAllAction(ui::Window window);    // "Extract All"
