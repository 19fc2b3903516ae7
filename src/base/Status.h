#pragma once
// The outcome of an operation that can fail for reasons the caller must tell
// the user about (a full disk, an unsafe entry name): success, or a message.

#include <string>
#include <utility>

namespace tailpack {

// A status nobody looks at is a failure nobody hears of: the compiler warns.
class [[nodiscard]] TStatus {
 public:
  static TStatus Success() { return TStatus(); }
  static TStatus Failure(std::string message) { return TStatus(std::move(message)); }

  bool Ok() const { return !failed_; }
  explicit operator bool() const { return Ok(); }
  const std::string& Message() const { return message_; }

 private:
  TStatus() = default;
  explicit TStatus(std::string message) : failed_(true), message_(std::move(message)) {}

  bool failed_ = false;
  std::string message_;
};

}  // namespace tailpack
