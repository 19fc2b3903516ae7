#pragma once
// Files on disk: "file" (a data group), "delete", "copyfile", "rename",
// "createdirectory", "rmdir".

#include "script/CommandClass.h"

namespace tailpack {

class TFileCommand final : public TCommandClass {
 public:
  TFileCommand() : TCommandClass("file", 1) {}
  uint8_t FileKind() const override { return 1; }
  // The source alone, with a destination, or with a destination and a
  // registry condition (root, key, value name, expected data, negate).
  std::vector<int32_t> RunnableParamCounts() const override { return {1, 2, 7}; }
  std::string ParamCountComplaint() const override { return "TFileCommand.SFXProcess - Param Count Invalid!!!"; }
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

class TDeleteCommand final : public TCommandClass {
 public:
  TDeleteCommand() : TCommandClass("delete", 1) {}
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

class TCopyFileCommand final : public TCommandClass {
 public:
  TCopyFileCommand() : TCommandClass("copyfile", 2) {}
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

class TRenameCommand final : public TCommandClass {
 public:
  TRenameCommand() : TCommandClass("rename", 2) {}
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

class TCreateDirectoryCommand final : public TCommandClass {
 public:
  TCreateDirectoryCommand() : TCommandClass("createdirectory", 1) {}
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

class TRMDirCommand final : public TCommandClass {
 public:
  TRMDirCommand() : TCommandClass("rmdir", 2) {}
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

}  // namespace tailpack
