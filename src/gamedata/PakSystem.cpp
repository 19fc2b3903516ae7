#include "gamedata/PakSystem.h"

#include <vector>

#include "archive/Pak.h"
#include "archive/Zlib.h"
#include "base/Text.h"
#include "gamedata/DataArchiveSession.h"
#include "gamedata/DosDate.h"
#include "gamedata/SoundEntry.h"
#include "gamedata/UpdateHost.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "system/FileHelpers.h"

namespace tailpack {

namespace {

bool IsWaveName(const std::string& name) {
  std::string file = ExtractFileName(name);
  size_t dot = file.rfind('.');
  return dot != std::string::npos && UpperAnsi(file.substr(dot)) == ".WAV";
}

bool MeansTrue(const std::string& value) {
  std::string lower = LowerAnsi(value);
  return lower == "t" || lower == "true" || value == "1";
}

std::u16string WithArchiveName(const std::u16string& text, const std::string& archiveName) {
  return ReplaceAllNoCase(text, u"<%ZRPNAME%>", AnsiToWide(archiveName));
}

}  // namespace

std::u16string TPakSystem::ProgressText(IUpdateHost& host, const std::string& archiveName, uint32_t number,
                                        uint32_t total) {
  std::u16string text = WithArchiveName(host.LanguageString(TStringId::ItemProgress), archiveName);
  text = ReplaceAllNoCase(text, u"<%FNUM%>", Wide(std::to_string(number)));
  return ReplaceAllNoCase(text, u"<%FTOTAL%>", Wide(std::to_string(total)));
}

TStatus TPakSystem::AddEntry(TDataArchiveSession& archive, uint32_t index) {
  const TPakFile& file = pak_.Files()[index];
  std::string name = file.Name.substr(0, kZrpMaxNameLength);
  // The setup archive was verified at start-up; an entry that still cannot be
  // read must not pass for merged.
  auto content = [&]() -> std::optional<TBytes> {
    if (file.Size == 0) return TBytes{};
    TEntryBytes bytes = pak_.ExtractFile(index);
    if (!bytes.Message.empty()) host_.ShowEntryMessage(bytes.Message);
    return std::move(bytes.Bytes);
  };
  const std::string unreadable = file.Name + " cannot be read from the setup.";

  TBytes stored;
  uint8_t kind = kZrpKindData;
  if (IsWaveName(file.Name)) {
    auto wave = content();
    if (!wave) return archive.Abandon(unreadable);
    auto sound = EncodeSoundEntry(wave->data(), static_cast<uint32_t>(wave->size()), name);
    // Not a wave file this archive can hold: the entry is left out.
    if (!sound) return TStatus::Success();
    stored = std::move(*sound);
    kind = kZrpKindSound;
  } else {
    if (file.StoredLength() == file.Size) {
      auto bytes = content();
      if (!bytes) return archive.Abandon(unreadable);
      stored = Deflate(bytes->data(), bytes->size());
    } else {
      auto bytes = pak_.ReadStored(index);
      if (!bytes) return archive.Abandon(unreadable);
      stored = std::move(*bytes);
    }
    MaskStream(stored);
  }

  if (const TPakSystemEntry* present = archive.Find(name);
      present && present->StoredSize == stored.size() && present->OriginalSize == file.Size) {
    auto old = archive.ReadStored(*present);
    if (old && Crc32(old->data(), old->size()) == Crc32(stored.data(), stored.size())) return TStatus::Success();
  }

  TPakSystemEntry entry;
  entry.Kind = kind;
  entry.Name = name;
  entry.Date = TodayDosDate();
  entry.StoredSize = static_cast<uint32_t>(stored.size());
  entry.OriginalSize = file.Size;
  if (TStatus appended = archive.Append(stored, entry.Offset); !appended) return appended;
  archive.AddRecord(std::move(entry));
  return TStatus::Success();
}

TStatus TPakSystem::UpdateArchive(uint16_t group, const std::string& archiveName, const std::string& password) {
  uint32_t total = pak_.CountInGroup(group);
  if (total == 0) return TStatus::Success();

  TDataArchiveSession archive(host_);
  if (TStatus opened = archive.Open(ArchivePathIn(host_, archiveName)); !opened) return opened;
  TExtraInfo& extra = archive.Extra();
  if (extra.HasPassword && !extra.Password.empty()) {
    if (password != extra.Password) return TStatus::Failure("Error Incorrect Password\rFile: " + archiveName);
  } else {
    // A longer password would push the trailer's marker beyond where readers
    // look for it, and the archive could not be read again.
    if (password.size() > kZrpMaxPasswordLength)
      return TStatus::Failure("The password for " + archiveName + " is longer than " +
                              std::to_string(kZrpMaxPasswordLength) + " characters; the archive is unchanged.");
    extra.Password = password;
    extra.HasPassword = true;
  }
  if (TStatus cut = archive.Cut(); !cut) return archive.Abandon(cut.Message());

  std::vector<uint32_t> indices;
  indices.reserve(total);
  pak_.ForEachInGroup(group, [&indices](uint32_t index) { indices.push_back(index); });
  host_.SetStatusText(ProgressText(host_, archiveName, 0, total));
  uint32_t counter = 0;
  uint32_t lastPercent = 0;
  TStatus added = TStatus::Success();
  for (uint32_t index : indices) {
    uint32_t percent = static_cast<uint32_t>(uint64_t{counter} * 100 / total);
    bool repaint = percent > lastPercent;
    if (repaint) lastPercent = percent;
    host_.SetStatusText(ProgressText(host_, archiveName, counter, total));
    added = AddEntry(archive, index);
    if (!added) break;
    host_.StepProgress(repaint);
    ++counter;
  }
  host_.SetStatusText(WithArchiveName(host_.LanguageString(TStringId::SavingArchive), archiveName));
  if (!added) return added;
  return archive.Commit();
}

TStatus TPakSystem::SetOfficial(const std::string& archiveName, const std::string& word, const std::string& value) {
  if (LowerAnsi(word) != kOfficialWord) return TStatus::Success();
  TDataArchiveSession archive(host_);
  if (TStatus opened = archive.Open(ArchivePathIn(host_, archiveName)); !opened) return opened;
  if (TStatus cut = archive.Cut(); !cut) return archive.Abandon(cut.Message());
  archive.Extra().Official = MeansTrue(value);
  return archive.Commit();
}

TStatus TPakSystem::DuplicateEntry(const std::string& archiveName, const std::string& source,
                                   const std::string& target) {
  TDataArchiveSession archive(host_);
  if (TStatus opened = archive.Open(ArchivePathIn(host_, archiveName)); !opened) return opened;
  const TPakSystemEntry* found = archive.Find(source);
  if (!found) return TStatus::Success();
  // A copy: adding a record may move the records.
  TPakSystemEntry original = *found;
  if (TStatus cut = archive.Cut(); !cut) return archive.Abandon(cut.Message());

  std::string targetName = target.substr(0, kZrpMaxNameLength);
  auto takeOver = [&original](TPakSystemEntry& entry) {
    entry.Offset = original.Offset;
    entry.OriginalSize = original.OriginalSize;
    entry.StoredSize = original.StoredSize;
    entry.Date = original.Date;
    entry.Kind = original.Kind;
    entry.Signature = original.Signature;
  };
  if (TPakSystemEntry* existing = archive.Find(targetName)) {
    // A target that names other data is kept; one that names the same bytes
    // takes the source's kind, date and signature.
    if (existing->Offset == original.Offset && existing->OriginalSize == original.OriginalSize &&
        existing->StoredSize == original.StoredSize)
      takeOver(*existing);
  } else {
    TPakSystemEntry entry;
    entry.Name = LowerAnsi(targetName);
    takeOver(entry);
    archive.AddRecord(std::move(entry));
  }
  return archive.Commit();
}

}  // namespace tailpack
