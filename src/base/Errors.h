#pragma once
// The project's exception family. Expected problems are return values or
// message texts; these are for failures nobody planned for, and they end in
// the error report.

#include <stdexcept>
#include <string>

namespace tailpack {

// Root of every exception the runtime raises on purpose.
class ETailpackError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file could not be opened, read or written where the caller needed it.
class EIOError : public ETailpackError {
 public:
  using ETailpackError::ETailpackError;
};

// A text was not the number (or other value) it had to be.
class EConversionError : public ETailpackError {
 public:
  using ETailpackError::ETailpackError;
};

// An index outside a list.
class EListIndexError : public ETailpackError {
 public:
  using ETailpackError::ETailpackError;
};

// A zlib stream could not be inflated or deflated.
class EDecompressionError : public ETailpackError {
 public:
  using ETailpackError::ETailpackError;
};

// A text would grow beyond what the program is willing to hold (a language
// string whose tags expand without end).
class ETextTooLarge : public ETailpackError {
 public:
  using ETailpackError::ETailpackError;
};

// An internal consistency check failed; the message carries the unit and line.
class EAssertionFailed : public ETailpackError {
 public:
  EAssertionFailed(const std::string& message, const std::string& unit, int line);
};

}  // namespace tailpack
