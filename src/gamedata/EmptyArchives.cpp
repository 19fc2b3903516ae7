#include "gamedata/EmptyArchives.h"

#include "gamedata/DataArchiveFormat.h"
#include "platform/Platform.h"

namespace tailpack {

namespace {

// Creates a new file (never replacing one) holding Bytes, flushed.
TStatus WriteNewFile(const std::string& path, const TBytes& bytes) {
  auto file = Files().Open(path, TFileMode::CreateNew, TFileShare::None);
  if (!file) return TStatus::Failure("cannot create " + path + " (does it exist already?)");
  bool written = file->Write(bytes.data(), static_cast<uint32_t>(bytes.size())) == bytes.size() && file->Flush();
  file.reset();
  if (!written) {
    Files().Delete(path);
    return TStatus::Failure("cannot write " + path);
  }
  return TStatus::Success();
}

}  // namespace

TStatus CreateEmptyDataArchive(const std::string& path) {
  auto seeds = FreshSeeds();
  return WriteNewFile(path, BuildZrpTail({}, TExtraInfo{}, seeds[0], seeds[1]));
}

}  // namespace tailpack
