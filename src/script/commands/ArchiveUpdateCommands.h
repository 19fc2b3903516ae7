#pragma once
// Updates of the installed software's own archives: "zrpupdate",
// "zrpofficial", "duplicateentry", "vfsupdate". The archive work itself is
// the game data subsystem's (src/gamedata); these commands hand it their
// parameters and the run's installation folder, texts and progress, and end
// the script when an update cannot be done.

#include "script/CommandClass.h"

namespace tailpack {

class TZRPUpdateCommand final : public TCommandClass {
 public:
  TZRPUpdateCommand() : TCommandClass("zrpupdate", 3) {}
  uint8_t FileKind() const override { return 2; }
  // Lines naming the same data archive share one group.
  std::optional<size_t> GroupNameParameter() const override { return 2; }
  std::optional<size_t> EncipheredParameter() const override { return 1; }
  std::optional<size_t> PasswordParameter() const override { return 1; }
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

class TZRPOfficialCommand final : public TCommandClass {
 public:
  TZRPOfficialCommand() : TCommandClass("zrpofficial", 3) {}
  // The confirmation word.
  std::optional<size_t> EncipheredParameter() const override { return 1; }
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

class TDuplicateEntryCommand final : public TCommandClass {
 public:
  TDuplicateEntryCommand() : TCommandClass("duplicateentry", 3) {}
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

class TVFSUpdateCommand final : public TCommandClass {
 public:
  TVFSUpdateCommand() : TCommandClass("vfsupdate", 2) {}
  uint8_t FileKind() const override { return 2; }
  // Lines naming the same VFS archive share one group.
  std::optional<size_t> GroupNameParameter() const override { return 1; }
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

// Saves and closes the VFS archive that the last "vfsupdate" line left open,
// at the end of a run; a failure is told and marks the run failed.
void CloseOpenVfsArchive(TRunState& runtime);

}  // namespace tailpack
