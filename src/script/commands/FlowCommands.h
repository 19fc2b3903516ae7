#pragma once
// Control flow and messages: "goto", "iffileexists", "messagebox", "message",
// "failure".

#include "script/CommandClass.h"

namespace tailpack {

class TGotoCommand final : public TCommandClass {
 public:
  TGotoCommand() : TCommandClass("goto", 1) {}
  // A label named "0" is a label like any other.
  TLabelParameters LabelParameters() const override { return {{0}, false}; }
  bool AlwaysJumps() const override { return true; }
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

class TIfFileExistsCommand final : public TCommandClass {
 public:
  TIfFileExistsCommand() : TCommandClass("iffileexists", 3) {}
  // The label if the file exists, the label if it does not.
  TLabelParameters LabelParameters() const override { return {{1, 2}}; }
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

class TMessageBoxCommand final : public TCommandClass {
 public:
  TMessageBoxCommand() : TCommandClass("messagebox", 4) {}
  // The label on OK, the label on Cancel.
  TLabelParameters LabelParameters() const override { return {{2, 3}}; }
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

class TMessageCommand final : public TCommandClass {
 public:
  TMessageCommand() : TCommandClass("message", 1) {}
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

class TFailureCommand final : public TCommandClass {
 public:
  TFailureCommand() : TCommandClass("failure", 0) {}
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

}  // namespace tailpack
