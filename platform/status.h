#pragma once
// Outcome of a file operation: the error travels with the result as text.
#include <string>

struct Status {
  enum class Code { Ok, Missing, Failed, Cancelled, Refused };
  Code code = Code::Ok;
  std::string message;  // OS reason when not Ok, e.g. "Permission denied"
  std::string warning;  // on success: something the user must still hear, e.g. the disk did not confirm a write

  bool ok() const { return code == Code::Ok; }
  static Status Success() { return {}; }
  static Status Missing(std::string why = "The file does not exist") { return {Code::Missing, std::move(why), {}}; }
  static Status Failed(std::string why) { return {Code::Failed, std::move(why), {}}; }
  // The request itself is refused (nothing was read or written), as opposed to a file that failed.
  static Status Refused(std::string why) { return {Code::Refused, std::move(why), {}}; }
  // The user stopped the operation; nothing was changed.
  static Status Cancelled() { return {Code::Cancelled, "Cancelled", {}}; }
};
