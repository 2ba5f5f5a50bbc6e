#pragma once
// The image view: a chunk decoded as a picture through the temporary image file.
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.h"
#include "store/chunk_file.h"
#include "store/tailpack.h"

// The temporary image file beside the program: the folder of modulePath, then "temp.img"; empty
// when modulePath has no folder.
std::string TempImagePath(std::string_view modulePath);
// The same for the running program.
std::string TempImagePath();
// Where the picture preview may put its temporary image, in the order tried: beside the program,
// then in the user's folder for temporary files (for a program in a folder the user cannot write).
// Unknown folders are left out.
std::vector<std::string> TempImagePlaces();

// Copies the record's data from the executable to the first temporary image file that can be
// written (TempImagePlaces) and decodes it. When
// it is a picture, shows it unscaled at the top-left of a grey area in viewer, runs viewer until
// it is closed, then releases the picture and deletes the file: true. Otherwise deletes the file
// and adds nothing: false.
bool ShowImagePreview(ui::Window viewer, const ChunkFile& exe, const ChunkRecord& record);
