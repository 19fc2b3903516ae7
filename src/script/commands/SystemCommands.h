#pragma once
// Connections to the system: "writeregstr", "writeregstr_url",
// "createshortcut", "execute".

#include "script/CommandClass.h"

namespace tailpack {

class TWriteRegStrCommand final : public TCommandClass {
 public:
  TWriteRegStrCommand() : TCommandClass("writeregstr", 4) {}
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

class TWriteRegStr_URLCommand final : public TCommandClass {
 public:
  TWriteRegStr_URLCommand() : TCommandClass("writeregstr_url", 3) {}
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

class TCreateShortCutCommand final : public TCommandClass {
 public:
  TCreateShortCutCommand() : TCommandClass("createshortcut", 3) {}
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

class TExecuteCommand final : public TCommandClass {
 public:
  TExecuteCommand() : TCommandClass("execute", 1) {}
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

}  // namespace tailpack
