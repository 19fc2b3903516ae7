#include "gamedata/DataArchiveFormat.h"

#include <gtest/gtest.h>

#include "archive/Zlib.h"
#include "uninstall/Cipher.h"

namespace tailpack {
namespace {

// An archive of the given records (no stored bytes needed for the format)
// and the trailer bytes given.
TBytes ArchiveWith(const std::vector<TPakSystemEntry>& entries, const TBytes& trailer, uint32_t dataBytes = 0) {
  TBytes archive(dataBytes, 0xAB);
  TBytes table(entries.size() * kZrpRecordSize);
  for (size_t i = 0; i < entries.size(); ++i) entries[i].EncodeInto(table.data() + i * kZrpRecordSize);
  TBytes compressed = Deflate(table.data(), table.size());
  archive.insert(archive.end(), compressed.begin(), compressed.end());
  TZrpFooter footer{static_cast<uint32_t>(compressed.size()), static_cast<uint32_t>(table.size()), 5,
                    static_cast<uint32_t>(entries.size()), 0};
  footer.AppendTo(archive);
  archive.insert(archive.end(), trailer.begin(), trailer.end());
  return archive;
}

TBytes CurrentTrailer(const std::string& tag, const std::string& password, uint8_t official, uint8_t seedA = 5,
                      uint8_t seedB = 9) {
  TQuellEncryptionType cipher;
  cipher.SeedA = seedA;
  cipher.SeedB = seedB;
  std::string enciphered = cipher.Encrypt(password);
  TBytes trailer;
  AppendBytes(trailer, "ZRP3");
  AppendU16(trailer, 1);
  AppendBytes(trailer, tag);
  AppendU8(trailer, seedA);
  AppendU8(trailer, seedB);
  AppendU16(trailer, static_cast<uint16_t>(enciphered.size()));
  AppendBytes(trailer, enciphered);
  if (tag == "EIH2") AppendU8(trailer, official);
  return trailer;
}

TPakSystemEntry Entry(const std::string& name, uint32_t offset, uint32_t stored) {
  TPakSystemEntry entry;
  entry.Kind = kZrpKindData;
  entry.Name = name;
  entry.Offset = offset;
  entry.StoredSize = stored;
  entry.OriginalSize = stored * 2;
  entry.Date = 0x5A210000;
  return entry;
}

TStatus Parse(const TBytes& archive, TZrpDirectory& directory) {
  return ParseZrpDirectory(archive.data(), archive.size(), directory);
}

TEST(DataArchiveFormat, RecordLayoutIsFixedAndTheReservedWordIsDropped) {
  TPakSystemEntry entry = Entry("Data\\Map.dat", 0x11223344, 0x55);
  entry.Kind = kZrpKindSound;
  uint8_t record[kZrpRecordSize];
  entry.EncodeInto(record);
  EXPECT_EQ(record[0], 0x0D);
  EXPECT_EQ(record[1], 0x0A);
  EXPECT_EQ(record[2], 1);
  EXPECT_EQ(GetU32(record + 4), 0x5A210000u);
  EXPECT_EQ(GetU32(record + 8), 0x55u);
  EXPECT_EQ(GetU32(record + 12), 0xAAu);
  EXPECT_EQ(GetU32(record + 16), 0x11223344u);
  EXPECT_EQ(GetU32(record + 20), 0u);
  EXPECT_EQ(record[24], 12);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(record + 25), 12), "Data\\Map.dat");
  EXPECT_EQ(record[37], 0);

  PutU32(record + 20, 0xFFFFFFFF);
  TPakSystemEntry decoded = TPakSystemEntry::Decode(record);
  uint8_t again[kZrpRecordSize];
  decoded.EncodeInto(again);
  EXPECT_EQ(GetU32(again + 20), 0u);
  EXPECT_EQ(decoded.Name, "Data\\Map.dat");
}

TEST(DataArchiveFormat, MaskXorsTheFirstWordWithTheCrcOfTheRest) {
  TBytes stream = Deflate(reinterpret_cast<const uint8_t*>("hello hello"), 11);
  TBytes masked = stream;
  MaskStream(masked);
  EXPECT_EQ(GetU32(masked.data()), GetU32(stream.data()) ^ Crc32(stream.data() + 4, stream.size() - 4));
  EXPECT_TRUE(std::equal(stream.begin() + 4, stream.end(), masked.begin() + 4));
  MaskStream(masked);
  EXPECT_EQ(masked, stream);

  TBytes shortStream = {1, 2, 3, 4};
  MaskStream(shortStream);
  EXPECT_EQ(shortStream, (TBytes{1, 2, 3, 4}));
}

TEST(DataArchiveFormat, ReadsEveryTrailerForm) {
  TBytes oldField;
  AppendBytes(oldField, "ZRP2");
  AppendBytes(oldField, std::string("ab12-xyz\0", 9));
  TBytes otherTag = CurrentTrailer("EIH2", "pw", 1);
  std::copy_n("XYZ9", 4, otherTag.begin() + 6);
  TBytes markerAtEnd;
  AppendBytes(markerAtEnd, "ZRP3");
  AppendU16(markerAtEnd, 1);
  // 51 bytes after the marker: beyond the 56 bytes searched.
  TBytes tooFar = CurrentTrailer("EIH2", std::string(43, 'p'), 1);

  struct TCase {
    const char* What;
    TBytes Trailer;
    TZrpTrailerForm Form;
    uint32_t Length;
    bool HasPassword;
    std::string Password;
    bool Official;
  };
  const std::vector<TCase> cases = {
      {"none", {}, TZrpTrailerForm::None, 0, false, "", false},
      {"old form, password up to the first other byte", oldField, TZrpTrailerForm::Old, 13, true, "ab12", false},
      {"current form EIH2", CurrentTrailer("EIH2", "secret", 1), TZrpTrailerForm::Current, 6 + 9 + 6, true, "secret",
       true},
      {"current form EIH1 has no flag", CurrentTrailer("EIH1", "secret", 0), TZrpTrailerForm::Current, 6 + 8 + 6, true,
       "secret", false},
      {"empty password", CurrentTrailer("EIH2", "", 0), TZrpTrailerForm::Current, 6 + 9, false, "", false},
      {"longest password", CurrentTrailer("EIH2", std::string(41, 'q'), 0), TZrpTrailerForm::Current, 56, true,
       std::string(41, 'q'), false},
      {"other tag", otherTag, TZrpTrailerForm::Current, static_cast<uint32_t>(otherTag.size()), false, "", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TBytes archive = ArchiveWith({Entry("a", 0, 4)}, c.Trailer, 4);
    TZrpDirectory directory;
    TStatus read = Parse(archive, directory);
    ASSERT_TRUE(read.Ok()) << read.Message();
    EXPECT_EQ(directory.Trailer.Form, c.Form);
    EXPECT_EQ(directory.Trailer.Length, c.Length);
    EXPECT_EQ(directory.Trailer.Extra.HasPassword, c.HasPassword);
    EXPECT_EQ(directory.Trailer.Extra.Password, c.Password);
    EXPECT_EQ(directory.Trailer.Extra.Official, c.Official);
    EXPECT_EQ(directory.TableStart, 4u);
    ASSERT_EQ(directory.Entries.size(), 1u);
    EXPECT_EQ(directory.Entries[0].Name, "a");
  }

  // A marker with nothing after it, and one too far from the end, are not
  // trailers: the footer is then looked for at the very end.
  for (const TBytes& trailer : {markerAtEnd, tooFar}) {
    TZrpDirectory directory;
    EXPECT_FALSE(Parse(ArchiveWith({}, trailer), directory).Ok());
    EXPECT_EQ(directory.Trailer.Form, TZrpTrailerForm::None);
  }
}

TEST(DataArchiveFormat, RefusesImpossibleFootersTablesAndRecords) {
  const TBytes trailer = CurrentTrailer("EIH2", "", 0);
  TBytes good = ArchiveWith({Entry("a", 0, 10)}, trailer, 10);
  const size_t footer = good.size() - trailer.size() - kZrpFooterSize;
  auto withWord = [&](size_t offset, uint32_t value) {
    TBytes archive = good;
    PutU32(archive.data() + offset, value);
    return archive;
  };
  TBytes longName = good;  // a record whose length byte says 128
  {
    TPakSystemEntry entry = Entry("a", 0, 10);
    uint8_t record[kZrpRecordSize];
    entry.EncodeInto(record);
    record[24] = 128;
    TBytes table(record, record + kZrpRecordSize);
    TBytes compressed = Deflate(table.data(), table.size());
    longName.assign(10, 0);
    longName.insert(longName.end(), compressed.begin(), compressed.end());
    TZrpFooter{static_cast<uint32_t>(compressed.size()), kZrpRecordSize, 5, 1, 0}.AppendTo(longName);
    longName.insert(longName.end(), trailer.begin(), trailer.end());
  }
  // Seed 0: sin(0) has no digit from 1 to 9, so no key deciphers "pw".
  TBytes zeroSeedTrailer = CurrentTrailer("EIH2", "", 0, 0, 0);
  zeroSeedTrailer.resize(zeroSeedTrailer.size() - 1);
  PutU16(zeroSeedTrailer.data() + 12, 2);
  AppendBytes(zeroSeedTrailer, "pw");
  AppendU8(zeroSeedTrailer, 0);
  TBytes badSeeds = ArchiveWith({}, zeroSeedTrailer);

  const std::vector<std::pair<const char*, TBytes>> cases = {
      {"format number 6", withWord(footer + 8, 6)},
      {"reserved word set", withWord(footer + 16, 1)},
      {"table larger than the file", withWord(footer, 100000)},
      {"table size not a whole number of records", withWord(footer + 4, 153)},
      {"count disagreeing with the table size", withWord(footer + 12, 2)},
      {"table that inflates to another size", withWord(footer + 4, 0) /* count 1, size 0 */},
      {"stored bytes past the table", ArchiveWith({Entry("a", 5, 10)}, trailer, 10)},
      {"name longer than 127", longName},
      {"password under seeds that give no key", badSeeds},
      {"too short for a footer", TBytes(19, 0)},
  };
  for (const auto& [what, archive] : cases) {
    SCOPED_TRACE(what);
    TZrpDirectory directory;
    TStatus read = Parse(archive, directory);
    EXPECT_FALSE(read.Ok());
    EXPECT_FALSE(read.Message().empty());
  }
  // A damaged stream is refused too, never raised.
  TBytes damaged = good;
  damaged[10] ^= 0xFF;
  damaged[11] ^= 0xFF;
  TZrpDirectory directory;
  EXPECT_FALSE(Parse(damaged, directory).Ok());
}

TEST(DataArchiveFormat, BuiltTailReadsBack) {
  TPakSystemEntry first = Entry("first", 0, 3);
  TPakSystemEntry second = Entry(std::string(127, 'n'), 3, 7);
  TExtraInfo extra;
  extra.Password = "pass word";
  extra.Official = true;
  TBytes archive(10, 0);
  TBytes tail = BuildZrpTail({&first, &second}, extra, 17, 42);
  archive.insert(archive.end(), tail.begin(), tail.end());

  TZrpDirectory directory;
  ASSERT_TRUE(Parse(archive, directory).Ok());
  EXPECT_EQ(directory.TableStart, 10u);
  EXPECT_EQ(directory.Trailer.Form, TZrpTrailerForm::Current);
  EXPECT_EQ(directory.Trailer.Tag, "EIH2");
  EXPECT_EQ(directory.Trailer.FormatNumber, 1);
  EXPECT_EQ(directory.Trailer.Extra.Password, "pass word");
  EXPECT_TRUE(directory.Trailer.Extra.Official);
  EXPECT_EQ(directory.Footer.Count, 2u);
  EXPECT_EQ(directory.Footer.TableSize, 2 * kZrpRecordSize);
  ASSERT_EQ(directory.Entries.size(), 2u);
  EXPECT_EQ(directory.Entries[1].Name, second.Name);
  EXPECT_EQ(directory.Entries[1].Offset, 3u);
  // The trailer: seeds as given, then the enciphered password.
  size_t block = archive.size() - (9 + extra.Password.size());
  EXPECT_EQ(archive[block + 4], 17);
  EXPECT_EQ(archive[block + 5], 42);
}

TEST(DataArchiveFormat, FreshSeedsAlwaysGiveKeys) {
  for (int i = 0; i < 50; ++i) {
    auto seeds = FreshSeeds();
    TQuellEncryptionType cipher;
    cipher.SeedA = seeds[0];
    cipher.SeedB = seeds[1];
    EXPECT_TRUE(cipher.SeedsUsable());
    EXPECT_GT(seeds[0], 0);
    EXPECT_GT(seeds[1], 0);
  }
}

}  // namespace
}  // namespace tailpack
