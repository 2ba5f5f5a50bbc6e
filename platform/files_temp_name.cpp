#include "platform/files_temp_name.h"

#include <cctype>
#include <random>

namespace platform {

namespace {

constexpr std::string_view kSuffix = ".stowr-tmp-";
constexpr std::size_t kRandomChars = 6;
constexpr std::size_t kNameMax = 255;

}  // namespace

std::string TempPrefix(const std::string& path, std::string_view separators) {
  const std::size_t start = path.find_last_of(separators) + 1;  // 0 when there is no folder part
  std::string name = path.substr(start);
  if (name.size() > kNameMax - kSuffix.size() - kRandomChars) name.resize(kNameMax - kSuffix.size() - kRandomChars);
  return path.substr(0, start) + name + std::string(kSuffix);
}

std::string_view TempNamePrefix(std::string_view prefix, std::string_view separators) {
  return prefix.substr(prefix.find_last_of(separators) + 1);
}

bool IsTempName(std::string_view name, std::string_view namePrefix) {
  if (name.size() != namePrefix.size() + kRandomChars || name.substr(0, namePrefix.size()) != namePrefix) return false;
  for (char c : name.substr(namePrefix.size()))
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

// Letters and digits, as mkostemp's; each thread draws from its own generator.
std::string RandomChars() {
  static constexpr std::string_view kChars = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, kChars.size() - 1);
  std::string chars(kRandomChars, ' ');
  for (char& c : chars) c = kChars[pick(generator)];
  return chars;
}

}  // namespace platform
