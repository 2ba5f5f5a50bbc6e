#pragma once
// The names of temporary files that could not be made unnamed: the target's file name, a stowr
// suffix and six random letters or digits, beside the target ("app.exe.stowr-tmp-Ab12Cd").
#include <string>
#include <string_view>

namespace platform {

// The target's folder with its separator, its file name (cut so that the whole name fits in 255
// bytes) and the suffix: everything but the random part.
std::string TempPrefix(const std::string& path, std::string_view separators);
// The part of a prefix after its folder.
std::string_view TempNamePrefix(std::string_view prefix, std::string_view separators);
// True when name is namePrefix followed by the random part.
bool IsTempName(std::string_view name, std::string_view namePrefix);
std::string RandomChars();

}  // namespace platform
