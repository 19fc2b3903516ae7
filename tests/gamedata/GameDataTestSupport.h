#pragma once
// Shared by the game data tests: an update host that records what the
// archives report and answers Retry/Cancel from a queue, and readers that
// look into a data archive on disk the way the installed software would.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "archive/Zlib.h"
#include "base/Text.h"
#include "gamedata/DataArchiveFormat.h"
#include "gamedata/UpdateHost.h"
#include "platform/TextCodec.h"
#include "support/TempFolder.h"

namespace tailpack::test {

class TTestUpdateHost final : public IUpdateHost {
 public:
  explicit TTestUpdateHost(std::string installDir) : installDir_(std::move(installDir)) {}

  std::string InstallDir() override { return installDir_; }
  std::u16string LanguageString(TStringId id) override {
    switch (id) {
      case TStringId::ItemProgress:
        return u"<%ZRPNAME%>: <%FNUM%> of <%FTOTAL%>";
      case TStringId::SavingArchive:
        return u"Saving <%ZRPNAME%>";
      case TStringId::OpeningArchive:
        return u"Opening <%ZRPNAME%>";
      default:
        return u"NOT FOUND " + Wide(std::to_string(static_cast<uint16_t>(id)));
    }
  }
  void SetStatusText(const std::u16string& text) override { StatusLines.push_back(WideToAnsi(text)); }
  void StepProgress(bool notify) override { Steps.push_back(notify); }
  bool AskRetry(const std::string& message) override {
    Questions.push_back(message);
    if (OnQuestion) OnQuestion();
    if (RetryAnswers.empty()) return false;
    bool retry = RetryAnswers.front();
    RetryAnswers.pop_front();
    return retry;
  }
  void ShowEntryMessage(const std::string& text) override { EntryMessages.push_back(text); }

  size_t PublishedSteps() const {
    size_t published = 0;
    for (bool notify : Steps) published += notify ? 1 : 0;
    return published;
  }

  std::vector<std::string> StatusLines;
  std::vector<bool> Steps;
  std::vector<std::string> Questions;
  // The DecompSize texts the setup archive reported, in order.
  std::vector<std::string> EntryMessages;
  std::deque<bool> RetryAnswers;
  std::function<void()> OnQuestion;

 private:
  std::string installDir_;
};

// The directory of the data archive at Path, which must be readable.
inline TZrpDirectory ReadZrp(const std::string& path) {
  TBytes bytes = ReadFile(path);
  TZrpDirectory directory;
  TStatus read = ParseZrpDirectory(bytes.data(), bytes.size(), directory);
  EXPECT_TRUE(read.Ok()) << path << ": " << read.Message();
  return directory;
}

// A data entry's content: its stored bytes unmasked and inflated.
inline TBytes DataEntryContent(const std::string& path, const TPakSystemEntry& entry) {
  TBytes archive = ReadFile(path);
  TBytes stored(archive.begin() + entry.Offset, archive.begin() + entry.Offset + entry.StoredSize);
  MaskStream(stored);
  return Inflate(stored.data(), stored.size(), entry.OriginalSize).Bytes;
}

inline std::vector<std::string> EntryNames(const TZrpDirectory& directory) {
  std::vector<std::string> names;
  for (const TPakSystemEntry& entry : directory.Entries) names.push_back(entry.Name);
  return names;
}

// A canonical 44-byte-header wave file of DataSize sample bytes, then Extra.
inline TBytes WaveFile(uint16_t channels, uint16_t bits, const TBytes& samples, const TBytes& extra = {}) {
  uint32_t rate = 22050;
  uint16_t align = static_cast<uint16_t>(channels * bits / 8);
  TBytes wave;
  AppendBytes(wave, "RIFF");
  AppendU32(wave, static_cast<uint32_t>(36 + samples.size() + extra.size()));
  AppendBytes(wave, "WAVEfmt ");
  AppendU32(wave, 16);
  AppendU16(wave, 1);
  AppendU16(wave, channels);
  AppendU32(wave, rate);
  AppendU32(wave, rate * align);
  AppendU16(wave, align);
  AppendU16(wave, bits);
  AppendBytes(wave, "data");
  AppendU32(wave, static_cast<uint32_t>(samples.size()));
  wave.insert(wave.end(), samples.begin(), samples.end());
  wave.insert(wave.end(), extra.begin(), extra.end());
  return wave;
}

}  // namespace tailpack::test
