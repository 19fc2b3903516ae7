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
  // A failure with a notice: a text of its own the user is told first, in a
  // box apart (a damaged archive entry's length report), before Message.
  static TStatus Failure(std::string message, std::string notice) {
    TStatus status(std::move(message));
    status.notice_ = std::move(notice);
    return status;
  }
  // A failure whose cause the user may remove and then try again: a file that
  // another program holds open, a drive that is full.
  static TStatus RetryableFailure(std::string message) {
    TStatus status(std::move(message));
    status.retryable_ = true;
    return status;
  }

  bool Ok() const { return !failed_; }
  explicit operator bool() const { return Ok(); }
  const std::string& Message() const { return message_; }
  // Empty unless the failure came with a notice.
  const std::string& Notice() const { return notice_; }
  bool Retryable() const { return retryable_; }

 private:
  TStatus() = default;
  explicit TStatus(std::string message) : failed_(true), message_(std::move(message)) {}

  bool failed_ = false;
  bool retryable_ = false;
  std::string message_;
  std::string notice_;
};

}  // namespace tailpack
