#pragma once
// Outcome of a file operation: the error travels with the result as text.
#include <string>

struct Status {
  enum Code { Ok, Missing, Failed };
  Code code = Ok;
  std::string message;  // OS reason when not Ok, e.g. "Permission denied"

  bool ok() const { return code == Ok; }
  static Status Success() { return {}; }
  static Status NotFound(std::string why = "The file does not exist") { return {Missing, std::move(why)}; }
  static Status Error(std::string why) { return {Failed, std::move(why)}; }
};
