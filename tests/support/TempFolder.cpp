#include "support/TempFolder.h"

#include "platform/Platform.h"
#include "system/FileHelpers.h"

namespace tailpack::test {

TTempFolder::TTempFolder() {
  auto created = Files().CreatePrivateFolder(Files().TempFolder());
  if (!created) throw std::runtime_error("cannot create a temporary folder for the test");
  path_ = *created;
}

TTempFolder::~TTempFolder() { DeleteTree(path_); }

void WriteFile(const std::string& path, const TBytes& bytes) {
  auto file = Files().Open(path, TFileMode::CreateAlways, TFileShare::None);
  ASSERT_TRUE(file) << "cannot create " << path;
  ASSERT_EQ(file->Write(bytes.data(), static_cast<uint32_t>(bytes.size())), bytes.size());
}

void WriteFile(const std::string& path, const std::string& text) { WriteFile(path, StringToBytes(text)); }

TBytes ReadFile(const std::string& path) {
  auto file = Files().Open(path, TFileMode::OpenRead, TFileShare::ReadWrite);
  if (!file) return {};
  TBytes bytes(static_cast<size_t>(file->Size().value_or(0)));
  if (!bytes.empty()) bytes.resize(file->Read(bytes.data(), static_cast<uint32_t>(bytes.size())));
  return bytes;
}

}  // namespace tailpack::test
