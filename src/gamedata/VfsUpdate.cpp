#include "gamedata/VfsUpdate.h"

#include <vector>

#include "archive/Pak.h"
#include "gamedata/GameDataErrors.h"
#include "gamedata/PakSystem.h"
#include "gamedata/UpdateHost.h"
#include "gamedata/VfsFile.h"
#include "gamedata/VfsTree.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"

namespace tailpack {

namespace {

std::u16string NamedText(IUpdateHost& host, TStringId id, const std::string& archiveName) {
  return ReplaceAllNoCase(host.LanguageString(id), u"<%ZRPNAME%>", AnsiToWide(archiveName));
}

}  // namespace

TVfsUpdateState::TVfsUpdateState() = default;

TVfsUpdateState::~TVfsUpdateState() = default;

TVfsGroupResult TVfsUpdateState::UpdateVfsGroup(IUpdateHost& host, TPak& pak, uint16_t group,
                                                const std::string& archiveName, bool close) {
  vfsFileTotal_ = pak.CountInGroup(group);
  if (vfsFileTotal_ == 0) return {};
  if (!Files().FileExists(ArchivePathIn(host, archiveName))) return {TVfsGroupOutcome::ArchiveMissing, ""};
  if (TStatus opened = OpenVfsArchive(host, archiveName); !opened) return {TVfsGroupOutcome::Failed, opened.Message()};

  vfsFileCount_ = 0;
  vfsLastPercent_ = 0;
  host.SetStatusText(TPakSystem::ProgressText(host, archiveName, 0, vfsFileTotal_));
  std::vector<uint32_t> indices;
  pak.ForEachInGroup(group, [&indices](uint32_t index) { indices.push_back(index); });
  try {
    for (uint32_t index : indices) {
      auto percent = static_cast<uint32_t>(uint64_t{vfsFileCount_} * 100 / vfsFileTotal_);
      bool notify = percent > vfsLastPercent_;
      if (notify) vfsLastPercent_ = percent;
      host.SetStatusText(TPakSystem::ProgressText(host, openVfsName_, vfsFileCount_, vfsFileTotal_));
      const TPakFile& entry = pak.Files()[index];
      TEntryBytes data;
      if (entry.Size == 0) data.Bytes = TBytes{};
      else data = pak.ExtractFile(index);
      if (!data.Message.empty()) host.ShowEntryMessage(data.Message);
      if (!data) return Fail(entry.Name + " cannot be read from the setup.");
      openVfs_->Tree().PutFile(entry.Name, data->empty() ? nullptr : data->data(), entry.Size);
      host.StepProgress(notify);
      ++vfsFileCount_;
    }
  } catch (const EArchiveError& failure) {
    return Fail(std::string(failure.what()) + ".");
  } catch (...) {
    // Whatever went wrong, the archive does not keep half an update.
    (void)openVfs_->RollBack();
    openVfs_.reset();
    throw;
  }
  if (close) {
    if (TStatus closed = CloseVfsArchive(host); !closed) return {TVfsGroupOutcome::Failed, closed.Message()};
  }
  return {};
}

TStatus TVfsUpdateState::OpenVfsArchive(IUpdateHost& host, const std::string& archiveName) {
  if (TStatus closed = CloseVfsArchive(host); !closed) return closed;
  host.SetStatusText(NamedText(host, TStringId::OpeningArchive, archiveName));
  std::string path = ArchivePathIn(host, archiveName);
  if (auto attributes = Files().Attributes(path); attributes && (*attributes & kAttributeReadOnly) != 0)
    Files().SetAttributes(path, *attributes & ~kAttributeReadOnly);
  openVfs_ = std::make_unique<TVFSFile>();
  if (TStatus opened = openVfs_->Open(path, true); !opened) {
    openVfs_.reset();
    return opened;
  }
  openVfsName_ = archiveName;
  return TStatus::Success();
}

TStatus TVfsUpdateState::SaveVfsArchive(IUpdateHost& host) {
  if (!openVfs_) return TStatus::Success();
  host.SetStatusText(NamedText(host, TStringId::SavingArchive, openVfsName_));
  if (TStatus saved = openVfs_->Save(); !saved) return TStatus::Failure(Fail(saved.Message() + ".").Message);
  return TStatus::Success();
}

TStatus TVfsUpdateState::CloseVfsArchive(IUpdateHost& host) {
  if (!openVfs_) return TStatus::Success();
  if (TStatus saved = SaveVfsArchive(host); !saved) return saved;
  openVfs_->Close();
  openVfs_.reset();
  return TStatus::Success();
}

TVfsGroupResult TVfsUpdateState::Fail(const std::string& reason) {
  std::string path = openVfs_->FileName();
  TStatus rolledBack = openVfs_->RollBack();
  openVfs_.reset();
  if (rolledBack) return {TVfsGroupOutcome::Failed, reason + " " + path + " is back to its last saved state."};
  return {TVfsGroupOutcome::Failed,
          reason + " " + path + " will be rolled back when it is next opened. " + rolledBack.Message()};
}

}  // namespace tailpack
