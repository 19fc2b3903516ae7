#include "gamedata/DataArchiveReader.h"

#include <gtest/gtest.h>

#include "archive/PakTestSupport.h"
#include "archive/Zlib.h"
#include "gamedata/GameDataTestSupport.h"
#include "gamedata/SoundEntry.h"
#include "gamedata/TailJournal.h"
#include "platform/Platform.h"

namespace tailpack {
namespace {

// An archive built record by record, so each can be made faulty.
class TArchiveBuilder {
 public:
  TPakSystemEntry& Data(const std::string& name, const TBytes& content) {
    TBytes stored = Deflate(content.data(), content.size());
    MaskStream(stored);
    return Add(name, kZrpKindData, stored, static_cast<uint32_t>(content.size()));
  }
  TPakSystemEntry& Sound(const std::string& name, const TBytes& wave) {
    auto stored = EncodeSoundEntry(wave.data(), static_cast<uint32_t>(wave.size()), name);
    return Add(name, kZrpKindSound, *stored, static_cast<uint32_t>(wave.size()));
  }
  TPakSystemEntry& Add(const std::string& name, uint8_t kind, const TBytes& stored, uint32_t original) {
    TPakSystemEntry entry;
    entry.Name = name;
    entry.Kind = kind;
    entry.Offset = static_cast<uint32_t>(data_.size());
    entry.StoredSize = static_cast<uint32_t>(stored.size());
    entry.OriginalSize = original;
    data_.insert(data_.end(), stored.begin(), stored.end());
    entries_.push_back(entry);
    return entries_.back();
  }
  TBytes& StoredData() { return data_; }
  TBytes Build(const std::string& tag = "EIH2") const {
    std::vector<const TPakSystemEntry*> pointers;
    for (const auto& entry : entries_) pointers.push_back(&entry);
    TBytes archive = data_;
    TBytes tail = BuildZrpTail(pointers, TExtraInfo{}, 3, 4);
    std::copy(tag.begin(), tag.end(), tail.end() - 9);  // the tag, then seeds, an empty password and the flag
    archive.insert(archive.end(), tail.begin(), tail.end());
    return archive;
  }

 private:
  TBytes data_;
  std::deque<TPakSystemEntry> entries_;
};

class DataArchiveReaderTest : public test::TempFolderTest {
 protected:
  std::string Archive() const { return temp_ / "data.zrp"; }

  std::vector<std::string> Faults(const TBytes& archive) {
    test::WriteFile(Archive(), archive);
    TDataArchiveReader reader;
    TStatus opened = reader.Open(Archive());
    EXPECT_TRUE(opened.Ok()) << opened.Message();
    return reader.Check();
  }
};

TEST_F(DataArchiveReaderTest, AHealthyArchiveReadsBackItsContents) {
  TArchiveBuilder builder;
  TBytes text = test::TextBytes(4000), wave = test::WaveFile(1, 8, TBytes(300, 7));
  builder.Data("Data\\text.txt", text);
  builder.Sound("beep.wav", wave);
  test::WriteFile(Archive(), builder.Build());
  TDataArchiveReader reader;
  ASSERT_TRUE(reader.Open(Archive()).Ok());
  EXPECT_FALSE(reader.RestoredFromJournal());
  EXPECT_TRUE(reader.Check().empty());
  TBytes content;
  ASSERT_TRUE(reader.ReadContent(reader.Directory().Entries[0], content).Ok());
  EXPECT_EQ(content, text);
  ASSERT_TRUE(reader.ReadContent(reader.Directory().Entries[1], content).Ok());
  EXPECT_EQ(content, *EncodeSoundEntry(wave.data(), static_cast<uint32_t>(wave.size()), "beep.wav"));
}

TEST_F(DataArchiveReaderTest, EveryFaultIsNamed) {
  const TBytes text = test::TextBytes(2000);
  struct TCase {
    const char* What;
    std::function<TBytes()> Archive;
    std::string Fault;
  };
  const std::vector<TCase> cases = {
      {"unknown kind",
       [&] {
         TArchiveBuilder b;
         b.Data("a", text).Kind = 7;
         return b.Build();
       },
       "record 0 (\"a\") has the kind 7, neither 1 (sound) nor 2 (data)"},
      {"no signature",
       [&] {
         TArchiveBuilder b;
         b.Data("a", text).Signature = {0, 0};
         return b.Build();
       },
       "record 0 (\"a\") has no 0D 0A signature"},
      {"repeated name",
       [&] {
         TArchiveBuilder b;
         b.Data("a", text);
         b.Data("A", text);
         return b.Build();
       },
       "record 1 (\"A\") repeats an earlier name"},
      {"wrong size",
       [&] {
         TArchiveBuilder b;
         b.Data("a", text).OriginalSize = 5;
         return b.Build();
       },
       "record 0 (\"a\"): \"a\" inflates to 2000 bytes, not 5"},
      {"damaged stream",
       [&] {
         TArchiveBuilder b;
         b.Data("a", text);
         b.StoredData()[6] ^= 0xFF;
         b.StoredData()[7] ^= 0xFF;
         return b.Build();
       },
       "record 0 (\"a\"): \"a\" is not a valid masked zlib stream"},
      {"sound size",
       [&] {
         TArchiveBuilder b;
         b.Add("s.wav", kZrpKindSound, TBytes(60, 0), 60);
         return b.Build();
       },
       "record 0 (\"s.wav\") has no wave header"},
      {"unknown tag",
       [&] {
         TArchiveBuilder b;
         return b.Build("XXXX");
       },
       "the trailer's block starts with \"XXXX\", not \"EIH2\""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    EXPECT_EQ(Faults(c.Archive()), std::vector<std::string>{c.Fault});
  }
  // A sound entry whose header disagrees with its size.
  TArchiveBuilder builder;
  TBytes wave = test::WaveFile(1, 8, TBytes(300, 7));
  TBytes stored = *EncodeSoundEntry(wave.data(), static_cast<uint32_t>(wave.size()), "s.wav");
  stored.pop_back();
  builder.Add("s.wav", kZrpKindSound, stored, static_cast<uint32_t>(wave.size()));
  EXPECT_EQ(Faults(builder.Build()),
            std::vector<std::string>{"record 0 (\"s.wav\") holds 299 sample bytes, but its header says 300"});
}

TEST_F(DataArchiveReaderTest, AJournalIsAppliedBeforeReading) {
  TArchiveBuilder builder;
  builder.Data("a", test::TextBytes(100));
  const TBytes old = builder.Build();
  test::WriteFile(Archive(), old);
  {
    auto file = Files().Open(Archive(), TFileMode::OpenReadWrite);
    TZrpDirectory directory = test::ReadZrp(Archive());
    ASSERT_TRUE(SaveTailJournal(Archive(), *file, directory.TableStart).Ok());
    ASSERT_TRUE(file->Seek(directory.TableStart));
    ASSERT_TRUE(file->Truncate());
  }
  TDataArchiveReader reader;
  ASSERT_TRUE(reader.Open(Archive()).Ok());
  EXPECT_TRUE(reader.RestoredFromJournal());
  EXPECT_EQ(test::ReadFile(Archive()), old);
}

}  // namespace
}  // namespace tailpack
