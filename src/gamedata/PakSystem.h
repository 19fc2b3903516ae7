#pragma once
// Updates of the installed software's data archives: merging a data group of
// the setup archive into one ("zrpupdate"), setting its official flag
// ("zrpofficial") and giving an entry's data a second name
// ("duplicateentry"). Each operation opens its archive, works on it and
// writes it back before it returns; an operation that fails leaves the
// archive exactly as it was.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/Status.h"

namespace tailpack {

class IUpdateHost;
class TDataArchiveSession;
class TPak;

class TPakSystem {
 public:
  // The word "zrpofficial" must pass (in any letter case) for the flag to
  // change; script authors find it in docs/script-language.md.
  static constexpr std::string_view kOfficialWord = "confirm";

  TPakSystem(IUpdateHost& host, TPak& setupArchive) : host_(host), pak_(setupArchive) {}

  // Adds every entry of Group to the archive ArchiveName (relative to the
  // installation folder), which must carry Password or, without one, takes
  // it. Data entries are stored as masked zlib streams, ".WAV" entries as
  // sound entries; an entry already present unchanged is not written again.
  // A group without entries does nothing. Failures carry the text for the
  // user (empty when the user cancelled a Retry/Cancel box).
  TStatus UpdateArchive(uint16_t group, const std::string& archiveName, const std::string& password);
  // Sets the official flag from Value ("t", "true" or "1" in any case) when
  // Word is the confirmation word; anything else does nothing.
  TStatus SetOfficial(const std::string& archiveName, const std::string& word, const std::string& value);
  // Lets Target name Source's stored bytes. Nothing happens without Source;
  // a Target that names other data is left alone.
  TStatus DuplicateEntry(const std::string& archiveName, const std::string& source, const std::string& target);

  // Language string 19 with the archive's name and the counts filled in.
  static std::u16string ProgressText(IUpdateHost& host, const std::string& archiveName, uint32_t number,
                                     uint32_t total);

 private:
  TStatus AddEntry(TDataArchiveSession& archive, uint32_t index);

  IUpdateHost& host_;
  TPak& pak_;
};

}  // namespace tailpack
