#include "gamedata/EmptyArchives.h"

#include <algorithm>

#include "gamedata/DataArchiveFormat.h"
#include "gamedata/VfsFormat.h"
#include "platform/Crypto.h"
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

constexpr uint32_t kZeroPiece = 0x40000;

}  // namespace

TStatus CreateEmptyDataArchive(const std::string& path) {
  auto seeds = FreshSeeds();
  return WriteNewFile(path, BuildZrpTail({}, TExtraInfo{}, seeds[0], seeds[1]));
}

TStatus CreateEmptyVfsArchive(const std::string& path, const TVfsGeometry& geometry) {
  TVFSHeader header;
  header.Ident = geometry.Ident;
  header.BlockSize = geometry.BlockSize;
  header.BlockCount = geometry.BlockCount;
  header.RootCount = geometry.RootCount;
  TVfsLayout layout = TVfsLayout::Of(header);
  if (TStatus valid = CheckVfsHeader(header, layout.End); !valid)
    return TStatus::Failure("invalid geometry: " + valid.Message());

  auto file = Files().Open(path, TFileMode::CreateNew, TFileShare::None);
  if (!file) return TStatus::Failure("cannot create " + path + " (does it exist already?)");
  // Everything after the header's front is zeros except TextSize; the digest
  // is computed while the file is written and put in place at the end.
  auto md5 = CreateMd5Hash();
  TBytes front = header.EncodeFront();
  TBytes back = header.EncodeBack();
  TBytes zeros(kZeroPiece, 0);
  bool written = md5 && file->Write(front.data(), static_cast<uint32_t>(front.size())) == front.size() &&
                 file->Write(back.data(), static_cast<uint32_t>(back.size())) == back.size() &&
                 md5->Update(back.data(), back.size());
  for (uint64_t left = layout.End - kVfsTextSizeOffset - back.size(); written && left > 0;) {
    auto piece = static_cast<uint32_t>(std::min<uint64_t>(kZeroPiece, left));
    written = file->Write(zeros.data(), piece) == piece && md5->Update(zeros.data(), piece);
    left -= piece;
  }
  auto digest = written ? md5->Finish() : std::nullopt;
  written = digest && file->Seek(kVfsDigestOffset) &&
            file->Write(digest->data(), static_cast<uint32_t>(digest->size())) == digest->size();
  written = written && file->Flush();
  file.reset();
  if (!written) {
    Files().Delete(path);
    return TStatus::Failure("cannot write " + path);
  }
  return TStatus::Success();
}

}  // namespace tailpack
