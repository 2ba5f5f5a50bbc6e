#pragma once
// File names for extracted chunks.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "store/tailpack.h"

// exePath without its extension's three letters, then "tpak." and the Kind in lower case:
// C:\Tools\app.exe and TXT give C:\Tools\app.tpak.txt; a path whose file name has no such
// extension is kept whole: /usr/bin/gizmo gives /usr/bin/gizmo.tpak.txt. Any Kind gives a name that Windows keeps
// as it is (no trailing dot or space, no device name) and that no other Kind of the same
// executable gives: other bytes are written as '_' and two hexadecimal digits.
std::string DefaultExtractName(std::string_view exePath, const ChunkRecord& record);
// The same with the chunk's number after "tpak" (C:\Tools\app.tpak3.txt for chunk 3), a name
// that no Kind gives as its default name.
std::string NumberedExtractName(std::string_view exePath, const ChunkRecord& record, std::size_t number);

// The names of one Extract All, which goes newest chunk first: each chunk gets its default name,
// unless a newer chunk already took it (two chunks of one Kind, or Kinds that read the same up to
// a NUL byte); then it gets its numbered name. Holds one bit per 3-byte Kind (2 MiB), however
// many chunks there are.
class ExtractAllNames {
 public:
  std::string Next(std::string_view exePath, const ChunkRecord& record, std::size_t number);

 private:
  std::vector<bool> taken_ = std::vector<bool>(std::size_t{1} << 24);
};

// The part of path after its last backslash or slash (the whole path when it has none).
std::string_view AfterLastSeparator(std::string_view path);
// The part of path before its last backslash or slash, without that separator ("" when none).
std::string_view BeforeLastSeparator(std::string_view path);
