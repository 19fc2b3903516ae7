#include "platform/posix/CommandLine.h"

namespace tailpack::posix {

std::vector<std::string> SplitWindowsCommandLine(std::string_view text) {
  std::vector<std::string> arguments;
  std::string current;
  bool inArgument = false;
  bool quoted = false;
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\\') {
      size_t count = 0;
      while (i < text.size() && text[i] == '\\') {
        ++count;
        ++i;
      }
      inArgument = true;
      if (i < text.size() && text[i] == '"') {
        current.append(count / 2, '\\');
        if (count % 2 == 1) {
          current.push_back('"');
          ++i;
        }
        // An even count leaves the quote to the next round.
      } else {
        current.append(count, '\\');
      }
      continue;
    }
    if (c == '"') {
      inArgument = true;
      if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
        current.push_back('"');
        i += 2;
        continue;
      }
      quoted = !quoted;
      ++i;
      continue;
    }
    if ((c == ' ' || c == '\t') && !quoted) {
      if (inArgument) arguments.push_back(std::move(current));
      current.clear();
      inArgument = false;
      ++i;
      continue;
    }
    current.push_back(c);
    inArgument = true;
    ++i;
  }
  if (inArgument) arguments.push_back(std::move(current));
  return arguments;
}

std::string QuoteExecArgument(std::string_view argument) {
  constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
  bool needsQuotes = argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
  std::string result;
  if (needsQuotes) result.push_back('"');
  for (char c : argument) {
    if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) result.push_back('\\');
    if (c == '%') result.push_back('%');  // a literal percent, not a field code
    result.push_back(c);
  }
  if (needsQuotes) result.push_back('"');
  return result;
}

std::string EscapeDesktopString(std::string_view value) {
  std::string result;
  for (size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    switch (c) {
      case '\\': result += "\\\\"; break;
      case '\n': result += "\\n"; break;
      case '\r': result += "\\r"; break;
      case '\t': result += "\\t"; break;
      case ' ': result += i == 0 ? "\\s" : " "; break;
      default: result.push_back(c);
    }
  }
  return result;
}

}  // namespace tailpack::posix
