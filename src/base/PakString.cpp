#include "base/PakString.h"

#include "platform/FileSystem.h"

namespace tailpack {

void AppendPakString(TBytes& out, std::string_view text) {
  auto length = static_cast<uint16_t>(text.size());
  AppendU16(out, length);
  out.insert(out.end(), text.begin(), text.begin() + length);
}

bool WritePakString(IFile& file, std::string_view text) {
  TBytes bytes;
  AppendPakString(bytes, text);
  return file.Write(bytes.data(), static_cast<uint32_t>(bytes.size())) != bytes.size();
}

std::string ReadPakString(IFile& file) {
  uint8_t lengthBytes[2] = {0, 0};
  if (file.Read(lengthBytes, 2) < 2) return {};
  std::string text(GetU16(lengthBytes), '\0');
  uint32_t actual = text.empty() ? 0 : file.Read(text.data(), static_cast<uint32_t>(text.size()));
  text.resize(actual);
  return text;
}

}  // namespace tailpack
