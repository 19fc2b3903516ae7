#pragma once
// Control flow and messages: "goto", "iffileexists", "messagebox", "message",
// "failure".

#include "script/CommandClass.h"

namespace tailpack {

class TGotoCommand final : public TCommandClass {
 public:
  TGotoCommand() : TCommandClass("goto", 1) {}
  bool Compile(TCompiler& compiler, int32_t row) override;
  void SFXProcess(TSetupRuntime& runtime, int32_t row) override;
};

class TIfFileExistsCommand final : public TCommandClass {
 public:
  TIfFileExistsCommand() : TCommandClass("iffileexists", 3) {}
  bool Compile(TCompiler& compiler, int32_t row) override;
  void SFXProcess(TSetupRuntime& runtime, int32_t row) override;
};

class TMessageBoxCommand final : public TCommandClass {
 public:
  TMessageBoxCommand() : TCommandClass("messagebox", 4) {}
  bool Compile(TCompiler& compiler, int32_t row) override;
  void SFXProcess(TSetupRuntime& runtime, int32_t row) override;
};

class TMessageCommand final : public TCommandClass {
 public:
  TMessageCommand() : TCommandClass("message", 1) {}
  void SFXProcess(TSetupRuntime& runtime, int32_t row) override;
};

class TFailureCommand final : public TCommandClass {
 public:
  TFailureCommand() : TCommandClass("failure", 0) {}
  void SFXProcess(TSetupRuntime& runtime, int32_t row) override;
};

}  // namespace tailpack
