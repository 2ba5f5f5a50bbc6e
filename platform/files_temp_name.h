#pragma once
// The names of temporary files that could not be made unnamed: the target's file name, a stowr
// suffix, six random letters or digits and six more that check them, beside the target
// ("app.exe.stowr-tmp-Ab12Cd3xY9Qe"). Only a name whose check holds is taken for one of ours: a
// file a user named like one ("app.exe.stowr-tmp-backup") is never deleted as debris.
#include <string>
#include <string_view>

namespace platform {

// The target's folder with its separator, its file name (cut so that the whole name fits in 255
// bytes) and the suffix: everything but the random part and its check.
std::string TempPrefix(const std::string& path, std::string_view separators);
// The part of a prefix after its folder.
std::string_view TempNamePrefix(std::string_view prefix, std::string_view separators);
// A new name: prefix, a random part and its check.
std::string TempName(std::string_view prefix, std::string_view separators);
// The length of the names TempName makes from prefix.
std::size_t TempNameSize(std::string_view prefix);
// True when name is a file name, the suffix, a random part and its check: a temporary file of a
// replace of any file in its folder.
bool IsTempName(std::string_view name);

}  // namespace platform
