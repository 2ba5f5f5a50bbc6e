#pragma once
// Whole-file writes: every file stowr writes goes through them.
#include <functional>
#include <set>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/progress.h"
#include "platform/status.h"
#include "store/content.h"

// How the warning of a success begins when the disk did not confirm the rename.
inline constexpr std::string_view kUnconfirmedWrite = "The change was made, but the disk did not confirm it";

bool FileExists(const std::string& path);

// Whether a write may give the file another owner than it has (or another group), which happens
// when the user writing it may not give the new file the old one's. A change is refused unless
// allowed; when allowed, the result's warning says who owns the file now.
enum class Owner { Keep, MayChange };

// Replaces path with exactly content, atomically: a temporary file in the same folder is written,
// flushed and renamed over path, every step relative to that folder as first opened; a folder
// swapped meanwhile fails the write (platform::kFolderChanged). On failure path keeps its old
// content and no temporary file is left. A read-only or otherwise unwritable target is refused,
// never got round. When the disk does not confirm the rename the result is a success whose warning
// says so.
Status WriteWholeFile(std::string_view content, const std::string& path);
// The same for content copied from its sources, refused (kChangedOnDisk) when a source is no
// longer what the pieces were computed from. progress hears how many bytes are written; when it
// answers false the write stops, the target keeps its old content and the result is
// Status::Code::Cancelled.
Status WriteWholeFile(const Content& content, const std::string& path, const Progress& progress = {},
                      Owner owner = Owner::Keep);

// Where one command has deleted stale temporary files (what crashed writes left, RemoveStaleTemps)
// already: a command that writes many files into one folder, as extract-all does, looks there
// once instead of once per file. A write given none looks in its folder every time.
class TempSweep {
 public:
  // Deletes the stale temporary files in the target's folder, unless this sweep has done so before.
  void Sweep(const platform::Target& target);

 private:
  std::set<std::string> folders_;
};

// Writes a file that stowr makes for the user, such as an extracted chunk, atomically as above
// (fill writes its content, beforeReplace may still refuse), but as an output: a symbolic link at
// path is refused (Status::Code::Refused) and never followed, nor is anything replaced through it; so
// is `source`, the file the content is read from, under any name (a hard link, "..", the same
// path). Only the name is replaced, never the file behind it, so a link planted there meanwhile
// redirects nothing.
Status WriteOutputFile(const std::string& path, const platform::FileStamp& source,
                       const std::function<Status(platform::FileHandle)>& fill,
                       const std::function<Status()>& beforeReplace = {}, Owner owner = Owner::Keep,
                       TempSweep* sweep = nullptr);
