#include "gamedata/DataArchiveReader.h"

#include <set>

#include "archive/Zlib.h"
#include "base/Errors.h"
#include "gamedata/InflateLimit.h"
#include "gamedata/SoundEntry.h"
#include "gamedata/TailJournal.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"

namespace tailpack {

namespace {

std::string Quoted(const TPakSystemEntry& entry) { return "\"" + entry.Name + "\""; }

// What is wrong with a sound entry's stored bytes, or nothing.
std::string SoundFault(const TBytes& stored) {
  if (stored.size() < kSoundHeaderSize) return "is too short for a sound header";
  TSoundHeader header = TSoundHeader::Decode(stored.data());
  const uint8_t* wave = header.Wave.data();
  if (!std::equal(wave, wave + 4, "RIFF") || !std::equal(wave + 8, wave + 12, "WAVE")) return "has no wave header";
  if (header.Compressed > 1) return "has the packing flag " + std::to_string(header.Compressed);
  if (header.StoredDataSize < 0 || kSoundHeaderSize + static_cast<uint64_t>(header.StoredDataSize) != stored.size())
    return "holds " + std::to_string(stored.size() - kSoundHeaderSize) + " sample bytes, but its header says " +
           std::to_string(header.StoredDataSize);
  return "";
}

}  // namespace

TDataArchiveReader::TDataArchiveReader() = default;
TDataArchiveReader::~TDataArchiveReader() = default;

TStatus TDataArchiveReader::Open(const std::string& path) {
  restored_ = false;
  if (Files().FileExists(TailJournalPath(path))) {
    auto writable = Files().Open(path, TFileMode::OpenReadWrite, TFileShare::Read);
    if (!writable)
      return TStatus::Failure("an unfinished update left " + TailJournalPath(path) +
                              ", but the archive cannot be opened for writing to restore it");
    if (TStatus restored = RestoreFromTailJournal(path, *writable); !restored) return restored;
    restored_ = true;
  }
  file_ = Files().Open(path, TFileMode::OpenRead, TFileShare::ReadWrite);
  if (!file_) return TStatus::Failure("cannot open " + path);
  return ReadZrpDirectory(*file_, directory_);
}

TStatus TDataArchiveReader::ReadStored(const TPakSystemEntry& entry, TBytes& stored) {
  stored.resize(entry.StoredSize);
  if (!file_->Seek(entry.Offset) || file_->Read(stored.data(), entry.StoredSize) != entry.StoredSize)
    return TStatus::Failure("the stored bytes of " + Quoted(entry) + " cannot be read");
  return TStatus::Success();
}

TStatus TDataArchiveReader::ReadContent(const TPakSystemEntry& entry, TBytes& content) {
  TBytes stored;
  if (TStatus read = ReadStored(entry, stored); !read) return read;
  if (entry.Kind == kZrpKindSound) {
    content = std::move(stored);
    return TStatus::Success();
  }
  if (!MayInflateTo(stored.size(), entry.OriginalSize))
    return TStatus::Failure(Quoted(entry) + " cannot inflate to " + std::to_string(entry.OriginalSize) + " bytes");
  MaskStream(stored);
  try {
    TInflated inflated = Inflate(stored.data(), stored.size(), entry.OriginalSize);
    if (inflated.TotalLength != entry.OriginalSize)
      return TStatus::Failure(Quoted(entry) + " inflates to " + std::to_string(inflated.TotalLength) + " bytes, not " +
                              std::to_string(entry.OriginalSize));
    content = std::move(inflated.Bytes);
  } catch (const EDecompressionError&) {
    return TStatus::Failure(Quoted(entry) + " is not a valid masked zlib stream");
  }
  return TStatus::Success();
}

std::vector<std::string> TDataArchiveReader::Check() {
  std::vector<std::string> faults;
  const TZrpTrailer& trailer = directory_.Trailer;
  if (trailer.Form == TZrpTrailerForm::Current && trailer.Tag != "EIH1" && trailer.Tag != "EIH2")
    faults.push_back("the trailer's block starts with \"" + trailer.Tag + "\", not \"EIH2\"");
  std::set<std::string> names;
  for (size_t i = 0; i < directory_.Entries.size(); ++i) {
    const TPakSystemEntry& entry = directory_.Entries[i];
    std::string which = "record " + std::to_string(i) + " (" + Quoted(entry) + ")";
    if (entry.Signature != kZrpSignature) faults.push_back(which + " has no 0D 0A signature");
    if (entry.Name.empty()) faults.push_back(which + " has no name");
    if (!names.insert(LowerAnsi(entry.Name)).second) faults.push_back(which + " repeats an earlier name");
    if (entry.Kind == kZrpKindData) {
      TBytes content;
      if (TStatus read = ReadContent(entry, content); !read) faults.push_back(which + ": " + read.Message());
    } else if (entry.Kind == kZrpKindSound) {
      TBytes stored;
      if (TStatus read = ReadStored(entry, stored); !read)
        faults.push_back(which + ": " + read.Message());
      else if (std::string fault = SoundFault(stored); !fault.empty())
        faults.push_back(which + " " + fault);
    } else {
      faults.push_back(which + " has the kind " + std::to_string(entry.Kind) + ", neither 1 (sound) nor 2 (data)");
    }
  }
  return faults;
}

}  // namespace tailpack
