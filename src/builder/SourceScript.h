#pragma once
// The setup script as a person writes it: one command per line, a keyword and
// its parameters separated by blanks, double quotes around parameters with
// blanks ("" inside quotes is one quote), comment lines starting with ";" or
// "#", and label lines "name:". docs/script-language.md describes it.

#include <string>
#include <vector>

#include "base/Bytes.h"

namespace tailpack {

struct TSourceLine {
  int LineNumber = 0;  // 1-based line in the file
  bool IsLabel = false;
  std::string Keyword;  // lower case; the label's name for a label line
  std::vector<std::string> Params;
};

struct TSourceError {
  int LineNumber = 0;
  std::string Message;
};

struct TSourceScript {
  std::vector<TSourceLine> Lines;
  std::vector<TSourceError> Errors;
};

// Splits a script's text into lines. The text is UTF-8 (a byte-order mark is
// skipped) or, when it is not valid UTF-8, already in the ANSI code page; the
// result is in the ANSI code page.
TSourceScript ParseSourceScript(const TBytes& text);

}  // namespace tailpack
