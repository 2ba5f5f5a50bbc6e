#pragma once
// Outcome of a file operation: the error travels with the result as text.
#include <string>

struct Status {
  enum Code { Ok, Missing, Failed, Cancelled, Refused };
  Code code = Ok;
  std::string message;  // OS reason when not Ok, e.g. "Permission denied"
  std::string warning;  // on success: something the user must still hear, e.g. the disk did not confirm a write

  bool ok() const { return code == Ok; }
  static Status Success() { return {}; }
  static Status NotFound(std::string why = "The file does not exist") { return {Missing, std::move(why), {}}; }
  static Status Error(std::string why) { return {Failed, std::move(why), {}}; }
  // The request itself is refused (nothing was read or written), as opposed to a file that failed.
  static Status Refuse(std::string why) { return {Refused, std::move(why), {}}; }
  // The user stopped the operation; nothing was changed.
  static Status Stopped() { return {Cancelled, "Cancelled", {}}; }
};
