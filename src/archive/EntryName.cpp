#include "archive/EntryName.h"

#include <array>

#include "platform/TextCase.h"
#include "system/FileHelpers.h"

namespace tailpack {

namespace {

// Device names Windows resolves in any folder. The superscript digits (the
// Windows-1252 bytes B9, B2, B3) name the same ports as 1, 2 and 3.
bool IsReservedDeviceName(std::string_view component) {
  // The device is reached whatever follows the first dot, and blanks before
  // that dot are ignored ("NUL .txt" is NUL too).
  std::string_view base = component.substr(0, component.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  std::string upper = UpperAnsi(base);
  static constexpr std::array<std::string_view, 6> kPlain = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (std::string_view device : kPlain)
    if (upper == device) return true;
  if (upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0)) {
    char digit = upper[3];
    return (digit >= '1' && digit <= '9') || digit == '\xB9' || digit == '\xB2' || digit == '\xB3';
  }
  return false;
}

TStatus Refuse(std::string_view name, const std::string& reason) {
  return TStatus::Failure("Unsafe entry name \"" + std::string(name) + "\": " + reason);
}

}  // namespace

TStatus CheckEntryName(std::string_view name) {
  if (name.empty()) return Refuse(name, "the name is empty");
  for (char c : name) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '/') return Refuse(name, "\"/\" is not a folder separator of entry names");
    if (c == ':') return Refuse(name, "\":\" names a drive or a data stream");
    if (byte < 0x20) return Refuse(name, "it contains a control character");
    if (c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*')
      return Refuse(name, std::string("\"") + c + "\" cannot be part of a file name");
  }
  if (name.front() == '\\') return Refuse(name, "it is rooted");
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('\\', start);
    if (end == std::string_view::npos) end = name.size();
    std::string_view component = name.substr(start, end - start);
    start = end + 1;
    if (component.empty()) return Refuse(name, "it has an empty path component");
    if (component == "..") return Refuse(name, "\"..\" leads out of the target folder");
    if (component.back() == '.' || component.back() == ' ')
      return Refuse(name, "the component \"" + std::string(component) + "\" ends in a dot or a blank");
    if (IsReservedDeviceName(component))
      return Refuse(name, "\"" + std::string(component) + "\" is a reserved device name");
  }
  return TStatus::Success();
}

std::string EntryTargetPath(std::string_view folder, std::string_view name) {
  return IncludeTrailingBackslash(folder) + std::string(name);
}

}  // namespace tailpack
