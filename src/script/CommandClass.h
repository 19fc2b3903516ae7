#pragma once
// One script keyword. A command has a compile step that the builder runs over
// source lines (it may rewrite the line's parameters and fill the setup
// information), a run step that the setup runs on its worker thread, and a
// file kind that says whether the command owns a data group.

#include <cstdint>
#include <string>

namespace tailpack {

class TCompiler;
class TSetupRuntime;

class TCommandClass {
 public:
  TCommandClass(std::string keyword, int32_t minParams, bool setupInfoOnly = false)
      : Keyword(std::move(keyword)), MinParams(minParams), SetupInfoOnly(setupInfoOnly) {}
  virtual ~TCommandClass() = default;
  TCommandClass(const TCommandClass&) = delete;
  TCommandClass& operator=(const TCommandClass&) = delete;

  const std::string Keyword;  // lower case
  // Parameters the compile step requires (before any appended group number).
  const int32_t MinParams;
  // True for commands whose whole effect is on the setup information.
  const bool SetupInfoOnly;

  // The compile step for a line of the compiler's script: true when the line
  // has enough parameters. Problems beyond the count go to the compiler's Error.
  virtual bool Compile(TCompiler& compiler, int32_t row);
  // The run step for a row of the loaded script; the base does nothing.
  virtual void SFXProcess(TSetupRuntime& runtime, int32_t row);
  // 0: no data group; 1: plain files ("file"); 2: an update group.
  virtual uint8_t FileKind() const { return 0; }

 protected:
  bool HasMinParams(const TCompiler& compiler, int32_t row) const;
};

}  // namespace tailpack
