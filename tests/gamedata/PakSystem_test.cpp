#include "gamedata/PakSystem.h"

#include <gtest/gtest.h>

#include "archive/Pak.h"
#include "archive/PakTestSupport.h"
#include "gamedata/DataArchiveSession.h"
#include "gamedata/DosDate.h"
#include "gamedata/EmptyArchives.h"
#include "gamedata/GameDataTestSupport.h"
#include "gamedata/SoundEntry.h"
#include "gamedata/TailJournal.h"
#include "platform/Platform.h"
#include "support/FaultyFileSystem.h"
#include "uninstall/Cipher.h"

namespace tailpack {
namespace {

using test::TTestEntry;

class PakSystemTest : public test::TempFolderTest {
 protected:
  PakSystemTest() : host_(temp_ / "Game") {
    Files().CreateFolder(temp_ / "Game");
    EXPECT_TRUE(CreateEmptyDataArchive(Archive()).Ok());
  }

  std::string Archive() const { return temp_ / "Game\\data.zrp"; }

  // Writes the setup archive and opens it.
  void UseSetup(const std::vector<TTestEntry>& entries) {
    pak_.Close();
    ASSERT_NO_FATAL_FAILURE(test::WriteArchive(temp_ / "setup.pak", entries));
    ASSERT_TRUE(pak_.Create(temp_ / "setup.pak"));
  }

  TStatus Update(uint16_t group, const std::string& password = "secret") {
    return TPakSystem(host_, pak_).UpdateArchive(group, "data.zrp", password);
  }

  // Three entries of group 1: one the setup stores compressed, one raw
  // (deflate cannot shrink it), one empty; and one of group 2.
  std::vector<TTestEntry> BaseEntries() const {
    return {{"readme.txt", 1, test::TextBytes(3000)},
            {"Data\\Map.dat", 1, test::RandomBytes(700, 1)},
            {"empty.dat", 1, {}},
            {"other.txt", 2, test::TextBytes(10)}};
  }

  test::TTestUpdateHost host_;
  TPak pak_;
};

TEST_F(PakSystemTest, MergesAGroupAsMaskedStreamsWithProgress) {
  auto entries = BaseEntries();
  UseSetup(entries);
  TStatus updated = Update(1);
  ASSERT_TRUE(updated.Ok()) << updated.Message();

  TZrpDirectory directory = test::ReadZrp(Archive());
  EXPECT_EQ(test::EntryNames(directory), (std::vector<std::string>{"readme.txt", "Data\\Map.dat", "empty.dat"}));
  uint32_t offset = 0;
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(entries[i].Name);
    const TPakSystemEntry& entry = directory.Entries[i];
    EXPECT_EQ(entry.Kind, kZrpKindData);
    EXPECT_EQ(entry.Signature, kZrpSignature);
    EXPECT_EQ(entry.Date, TodayDosDate());
    EXPECT_EQ(entry.OriginalSize, entries[i].Data.size());
    EXPECT_EQ(entry.Offset, offset);  // appended at the old table's place, back to back
    offset += entry.StoredSize;
    EXPECT_EQ(test::DataEntryContent(Archive(), entry), entries[i].Data);
  }
  // A stream the setup already holds is taken as it is, masked.
  TBytes setupStream = *pak_.ReadStored(0);
  MaskStream(setupStream);
  TBytes archive = test::ReadFile(Archive());
  EXPECT_TRUE(std::equal(setupStream.begin(), setupStream.end(), archive.begin()));
  EXPECT_EQ(directory.Trailer.Form, TZrpTrailerForm::Current);
  EXPECT_EQ(directory.Trailer.Extra.Password, "secret");
  EXPECT_FALSE(directory.Trailer.Extra.Official);
  EXPECT_FALSE(Files().Exists(TailJournalPath(Archive())));

  EXPECT_EQ(host_.StatusLines, (std::vector<std::string>{"data.zrp: 0 of 3", "data.zrp: 0 of 3", "data.zrp: 1 of 3",
                                                         "data.zrp: 2 of 3", "Saving data.zrp"}));
  EXPECT_EQ(host_.Steps, (std::vector<bool>{false, true, true}));
}

TEST_F(PakSystemTest, AGroupWithoutEntriesTouchesNothing) {
  UseSetup(BaseEntries());
  TBytes before = test::ReadFile(Archive());
  EXPECT_TRUE(Update(7).Ok());
  EXPECT_EQ(test::ReadFile(Archive()), before);
  EXPECT_TRUE(TPakSystem(host_, pak_).UpdateArchive(7, "missing.zrp", "x").Ok());
  EXPECT_TRUE(host_.Questions.empty());
  EXPECT_TRUE(host_.StatusLines.empty());
  EXPECT_FALSE(Files().Exists(temp_ / "Game\\missing.zrp"));
}

TEST_F(PakSystemTest, UnchangedEntriesStayAndAReplacedOneKeepsItsFirstSpelling) {
  UseSetup(BaseEntries());
  ASSERT_TRUE(Update(1).Ok());
  TZrpDirectory first = test::ReadZrp(Archive());

  // The same readme, and the map spelled otherwise with new content.
  TBytes newMap = test::TextBytes(900);
  UseSetup({{"README.TXT", 1, test::TextBytes(3000)}, {"DATA\\map.dat", 1, newMap}});
  ASSERT_TRUE(Update(1).Ok());
  TZrpDirectory second = test::ReadZrp(Archive());

  EXPECT_EQ(test::EntryNames(second), (std::vector<std::string>{"readme.txt", "empty.dat", "Data\\Map.dat"}));
  EXPECT_EQ(second.Entries[0].Offset, first.Entries[0].Offset);  // not written again
  EXPECT_EQ(second.Entries[2].Offset, first.TableStart);         // the new map went where the table was
  EXPECT_EQ(test::DataEntryContent(Archive(), second.Entries[2]), newMap);
  // Nothing is removed: the file grew by the new map's bytes and the new tail.
  EXPECT_EQ(second.TableStart, first.TableStart + second.Entries[2].StoredSize);
}

TEST_F(PakSystemTest, AnUnchangedUpdateRewritesOnlyTheDirectory) {
  UseSetup(BaseEntries());
  ASSERT_TRUE(Update(1).Ok());
  TZrpDirectory first = test::ReadZrp(Archive());
  TBytes before = test::ReadFile(Archive());
  ASSERT_TRUE(Update(1).Ok());
  TZrpDirectory second = test::ReadZrp(Archive());
  TBytes after = test::ReadFile(Archive());
  EXPECT_EQ(second.TableStart, first.TableStart);
  EXPECT_EQ(after.size(), before.size());
  EXPECT_TRUE(std::equal(before.begin(), before.begin() + static_cast<ptrdiff_t>(first.TableStart), after.begin()));
}

TEST_F(PakSystemTest, PasswordIsTakenOnceAndThenRequired) {
  UseSetup(BaseEntries());
  ASSERT_TRUE(Update(1, "first").Ok());
  TBytes before = test::ReadFile(Archive());

  TStatus wrong = Update(2, "First");
  EXPECT_EQ(wrong.Message(), "Error Incorrect Password\rFile: data.zrp");
  EXPECT_EQ(test::ReadFile(Archive()), before);
  EXPECT_FALSE(Files().Exists(TailJournalPath(Archive())));

  ASSERT_TRUE(Update(2, "first").Ok());
  EXPECT_EQ(test::ReadZrp(Archive()).Entries.size(), 4u);
}

TEST_F(PakSystemTest, AnEmptyPasswordIsStoredEmptyAndReadsAsNone) {
  UseSetup(BaseEntries());
  ASSERT_TRUE(Update(2, "").Ok());
  TZrpDirectory directory = test::ReadZrp(Archive());
  EXPECT_FALSE(directory.Trailer.Extra.HasPassword);
  TBytes archive = test::ReadFile(Archive());
  EXPECT_EQ(GetU16(&archive[archive.size() - 3]), 0);  // the pak string's length
  // Any password is then accepted, and becomes the archive's.
  ASSERT_TRUE(Update(2, "later").Ok());
  EXPECT_EQ(test::ReadZrp(Archive()).Trailer.Extra.Password, "later");
}

TEST_F(PakSystemTest, APasswordTooLongForTheTrailerIsRefused) {
  UseSetup(BaseEntries());
  TBytes before = test::ReadFile(Archive());
  TStatus refused = Update(2, std::string(42, 'x'));
  EXPECT_FALSE(refused.Ok());
  EXPECT_NE(refused.Message().find("longer than 41"), std::string::npos);
  EXPECT_EQ(test::ReadFile(Archive()), before);
  EXPECT_TRUE(Update(2, std::string(41, 'x')).Ok());
  EXPECT_EQ(test::ReadZrp(Archive()).Trailer.Extra.Password, std::string(41, 'x'));
}

TEST_F(PakSystemTest, AnOldTrailerIsRewrittenInTheCurrentForm) {
  // Empty table, footer, "ZRP2" and the plain password "abc".
  TBytes old = Deflate(nullptr, 0);
  TZrpFooter{static_cast<uint32_t>(old.size()), 0, 5, 0, 0}.AppendTo(old);
  AppendBytes(old, std::string("ZRP2abc\0\0\0\0\0\0", 13));
  Files().Delete(Archive());
  test::WriteFile(Archive(), old);

  UseSetup(BaseEntries());
  EXPECT_EQ(Update(2, "abd").Message(), "Error Incorrect Password\rFile: data.zrp");
  ASSERT_TRUE(Update(2, "abc").Ok());
  TZrpDirectory directory = test::ReadZrp(Archive());
  EXPECT_EQ(directory.Trailer.Form, TZrpTrailerForm::Current);
  EXPECT_EQ(directory.Trailer.Extra.Password, "abc");
  TBytes archive = test::ReadFile(Archive());
  EXPECT_EQ(std::string(archive.end() - 9 - 3 - 6, archive.end() - 9 - 3 - 2), "ZRP3");
  EXPECT_EQ(std::string(archive.end() - 4, archive.end() - 1).find("abc"), std::string::npos);
}

TEST_F(PakSystemTest, SoundEntriesAreEncodedAndBadWavesLeftOut) {
  TBytes wave = test::WaveFile(1, 16, test::RandomBytes(5000, 3));
  TBytes notWave = test::TextBytes(100);
  UseSetup({{"Sounds\\Door.WAV", 1, wave}, {"broken.wav", 1, notWave}, {"note.wave", 1, notWave}});
  ASSERT_TRUE(Update(1).Ok());
  TZrpDirectory directory = test::ReadZrp(Archive());
  ASSERT_EQ(test::EntryNames(directory), (std::vector<std::string>{"Sounds\\Door.WAV", "note.wave"}));
  const TPakSystemEntry& sound = directory.Entries[0];
  EXPECT_EQ(sound.Kind, kZrpKindSound);
  EXPECT_EQ(sound.OriginalSize, wave.size());
  auto expected = EncodeSoundEntry(wave.data(), static_cast<uint32_t>(wave.size()), "Sounds\\Door.WAV");
  TBytes archive = test::ReadFile(Archive());
  EXPECT_EQ(TBytes(archive.begin() + sound.Offset, archive.begin() + sound.Offset + sound.StoredSize), *expected);
  EXPECT_EQ(directory.Entries[1].Kind, kZrpKindData);
  EXPECT_EQ(host_.Steps.size(), 3u);
}

TEST_F(PakSystemTest, OfficialFlagNeedsTheConfirmationWord) {
  struct TCase {
    std::string Word;
    std::string Value;
    bool Official;
  };
  const std::vector<TCase> cases = {
      {"confirm", "TRUE", true}, {"CONFIRM", "yes", false}, {"Confirm", "T", true},
      {"confirm", "1", true},    {"confirm", "0", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Word + " " + c.Value);
    ASSERT_TRUE(TPakSystem(host_, pak_).SetOfficial("data.zrp", c.Word, c.Value).Ok());
    EXPECT_EQ(test::ReadZrp(Archive()).Trailer.Extra.Official, c.Official);
  }
  ASSERT_TRUE(TPakSystem(host_, pak_).SetOfficial("data.zrp", "confirm", "true").Ok());
  TBytes before = test::ReadFile(Archive());
  ASSERT_TRUE(TPakSystem(host_, pak_).SetOfficial("data.zrp", "approve", "false").Ok());
  EXPECT_EQ(test::ReadFile(Archive()), before);
}

TEST_F(PakSystemTest, OfficialFlagKeepsEntriesAndPassword) {
  UseSetup(BaseEntries());
  ASSERT_TRUE(Update(1, "pw").Ok());
  TZrpDirectory before = test::ReadZrp(Archive());
  ASSERT_TRUE(TPakSystem(host_, pak_).SetOfficial("data.zrp", "confirm", "t").Ok());
  TZrpDirectory after = test::ReadZrp(Archive());
  EXPECT_TRUE(after.Trailer.Extra.Official);
  EXPECT_EQ(after.Trailer.Extra.Password, "pw");
  EXPECT_EQ(test::EntryNames(after), test::EntryNames(before));
  EXPECT_EQ(after.TableStart, before.TableStart);
}

TEST_F(PakSystemTest, DuplicateSharesTheSourceBytes) {
  UseSetup(BaseEntries());
  ASSERT_TRUE(Update(1).Ok());
  TZrpDirectory before = test::ReadZrp(Archive());
  TPakSystem system(host_, pak_);

  ASSERT_TRUE(system.DuplicateEntry("data.zrp", "DATA\\MAP.DAT", "Copies\\Map Copy.DAT").Ok());
  TZrpDirectory after = test::ReadZrp(Archive());
  ASSERT_EQ(after.Entries.size(), 4u);
  const TPakSystemEntry& copy = after.Entries[3];
  EXPECT_EQ(copy.Name, "copies\\map copy.dat");
  EXPECT_EQ(copy.Offset, before.Entries[1].Offset);
  EXPECT_EQ(copy.StoredSize, before.Entries[1].StoredSize);
  EXPECT_EQ(copy.OriginalSize, before.Entries[1].OriginalSize);
  EXPECT_EQ(copy.Kind, before.Entries[1].Kind);
  EXPECT_EQ(after.TableStart, before.TableStart);  // no data copied

  // A target naming other data keeps it; the directory is still rewritten.
  ASSERT_TRUE(system.DuplicateEntry("data.zrp", "readme.txt", "empty.dat").Ok());
  TZrpDirectory kept = test::ReadZrp(Archive());
  EXPECT_EQ(kept.Entries[2].Offset, before.Entries[2].Offset);
  EXPECT_EQ(kept.Entries[2].StoredSize, before.Entries[2].StoredSize);

  // Without the source nothing is written at all.
  TBytes unchanged = test::ReadFile(Archive());
  ASSERT_TRUE(system.DuplicateEntry("data.zrp", "nothing.dat", "x.dat").Ok());
  EXPECT_EQ(test::ReadFile(Archive()), unchanged);
}

TEST_F(PakSystemTest, AnArchiveThatCannotBeOpenedAsksRetryOrCancel) {
  UseSetup(BaseEntries());
  TPakSystem system(host_, pak_);
  std::string missing = temp_ / "Game\\other.zrp";
  TStatus cancelled = system.UpdateArchive(1, "other.zrp", "pw");
  EXPECT_FALSE(cancelled.Ok());
  EXPECT_TRUE(cancelled.Message().empty());  // the box told the user
  ASSERT_EQ(host_.Questions.size(), 1u);
  EXPECT_EQ(host_.Questions[0], "File not found: \"" + missing + "\".");
  EXPECT_FALSE(Files().Exists(missing));

  // The user puts the archive in place and retries.
  host_.Questions.clear();
  host_.RetryAnswers = {true};
  host_.OnQuestion = [&] { ASSERT_TRUE(Files().Copy(Archive(), missing, true)); };
  EXPECT_TRUE(system.UpdateArchive(1, "other.zrp", "pw").Ok());
  EXPECT_EQ(host_.Questions.size(), 1u);
  EXPECT_EQ(test::ReadZrp(missing).Entries.size(), 3u);
}

TEST_F(PakSystemTest, AReadOnlyArchiveIsMadeWritable) {
  UseSetup(BaseEntries());
  ASSERT_TRUE(Files().SetAttributes(Archive(), kAttributeReadOnly));
  ASSERT_TRUE(Update(1).Ok());
  EXPECT_EQ(*Files().Attributes(Archive()) & kAttributeReadOnly, 0u);
  EXPECT_EQ(test::ReadZrp(Archive()).Entries.size(), 3u);
}

TEST_F(PakSystemTest, ADamagedArchiveIsRefusedUnchanged) {
  UseSetup(BaseEntries());
  ASSERT_TRUE(Update(1).Ok());
  TBytes archive = test::ReadFile(Archive());
  size_t footer = archive.size() - (9 + 6) - 6 - kZrpFooterSize;
  PutU32(archive.data() + footer + 8, 4);
  test::WriteFile(Archive(), archive);
  TStatus refused = Update(2);
  EXPECT_EQ(refused.Message(), "File " + Archive() + " has corrupted header.");
  EXPECT_EQ(test::ReadFile(Archive()), archive);
}

TEST_F(PakSystemTest, AnEntryTheSetupCannotDeliverRestoresTheArchive) {
  UseSetup(BaseEntries());
  ASSERT_TRUE(Update(1).Ok());
  TBytes before = test::ReadFile(Archive());
  // Damage other.txt's stored bytes in the setup: its checksum fails.
  uint32_t otherAt = pak_.Files()[3].Offset;
  pak_.Close();
  test::FlipByte(temp_ / "setup.pak", otherAt);
  ASSERT_TRUE(pak_.Create(temp_ / "setup.pak"));
  TStatus failed = Update(2);
  EXPECT_EQ(failed.Message(), "other.txt cannot be read from the setup. " + Archive() + " is unchanged.");
  EXPECT_EQ(test::ReadFile(Archive()), before);
  EXPECT_TRUE(host_.EntryMessages.empty());  // damaged, not of another length
}

// A sound the setup holds compressed is inflated to be merged; one that
// inflates to another length than its record says is reported through the
// host (the setup shows the DecompSize box) and refused.
TEST_F(PakSystemTest, ASoundOfTheWrongLengthIsReportedAndRestoresTheArchive) {
  UseSetup(BaseEntries());
  ASSERT_TRUE(Update(1).Ok());
  TBytes before = test::ReadFile(Archive());
  pak_.Close();
  {
    TPak setup;
    ASSERT_TRUE(setup.Create(temp_ / "setup.pak", true));
    ASSERT_NO_FATAL_FAILURE(test::WriteEntryOneByteShort(setup, "short.wav", 2));
    ASSERT_TRUE(setup.WriteHeader().Ok());
  }
  ASSERT_TRUE(pak_.Create(temp_ / "setup.pak"));
  TStatus failed = Update(2);
  EXPECT_EQ(failed.Message(), "short.wav cannot be read from the setup. " + Archive() + " is unchanged.");
  EXPECT_EQ(host_.EntryMessages, std::vector<std::string>{"short.wav\r\rError: DecompSize - 999 OrigSize - 1000"});
  EXPECT_EQ(test::ReadFile(Archive()), before);
}

}  // namespace
}  // namespace tailpack
