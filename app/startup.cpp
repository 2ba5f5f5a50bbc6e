#include "platform/app_main.h"

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/state.h"
#include "platform/image.h"
#include "platform/process.h"
#include "viewer/image_preview.h"

// The picture decoder is never shut down, and a temporary image that cannot be deleted is left
// alone: neither stops the program. The Main window's end value is of no interest.
int AppMain() {
  platform::StartPictureDecoder();
  for (const std::string& tempImage : TempImagePlaces()) platform::DeletePlainFile(tempImage);
  ExePath() = ExePathFromCommandLine(platform::CommandLine());
  OpenMainWindow(nullptr);
  return 0;
}
