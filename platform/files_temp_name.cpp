#include "platform/files_temp_name.h"

#include <cctype>
#include <cstdint>
#include <random>

namespace platform {

namespace {

constexpr std::string_view kSuffix = ".stowr-tmp-";
constexpr std::string_view kChars = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kRandomChars = 6;
constexpr std::size_t kCheckChars = 6;
constexpr std::size_t kNameMax = 255;

// Letters and digits, as mkostemp's; each thread draws from its own generator.
std::string RandomChars() {
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, kChars.size() - 1);
  std::string chars(kRandomChars, ' ');
  for (char& c : chars) c = kChars[pick(generator)];
  return chars;
}

// Six letters or digits from a 64-bit FNV-1a hash of the name before them: one name in about 5 *
// 10^10 that was not made here passes.
std::string Check(std::string_view name) {
  std::uint64_t hash = 14695981039346656037u;
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
  std::string chars(kCheckChars, ' ');
  for (char& c : chars) {
    c = kChars[hash % kChars.size()];
    hash /= kChars.size();
  }
  return chars;
}

}  // namespace

std::string TempPrefix(const std::string& path, std::string_view separators) {
  const std::size_t start = path.find_last_of(separators) + 1;  // 0 when there is no folder part
  constexpr std::size_t kNameRoom = kNameMax - kSuffix.size() - kRandomChars - kCheckChars;
  std::string name = path.substr(start);
  if (name.size() > kNameRoom) name.resize(kNameRoom);
  return path.substr(0, start) + name + std::string(kSuffix);
}

std::string_view TempNamePrefix(std::string_view prefix, std::string_view separators) {
  return prefix.substr(prefix.find_last_of(separators) + 1);
}

std::string TempName(std::string_view prefix, std::string_view separators) {
  const std::string random = RandomChars();
  return std::string(prefix) + random + Check(std::string(TempNamePrefix(prefix, separators)) + random);
}

std::size_t TempNameSize(std::string_view prefix) { return prefix.size() + kRandomChars + kCheckChars; }

bool IsTempName(std::string_view name) {
  constexpr std::size_t kTail = kSuffix.size() + kRandomChars + kCheckChars;
  if (name.size() < kTail || name.substr(name.size() - kTail, kSuffix.size()) != kSuffix) return false;
  for (char c : name.substr(name.size() - kRandomChars - kCheckChars))
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  const std::size_t checkAt = name.size() - kCheckChars;
  return Check(name.substr(0, checkAt)) == name.substr(checkAt);
}

}  // namespace platform
