#pragma once
// One script keyword, as both the setup and the builder know it. The setup
// runs a command's run step (SFXProcess) on its worker thread; the builder
// runs the compile step over source lines (builder/CompileSteps.h), which the
// command's facts below decide: how many parameters a line needs, whether it
// owns a data group and which parameter names the group, which parameter is
// enciphered, which are labels, which field of the setup information it fills.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tailpack {

class TRunState;

// The field of the setup information that a meta command fills at compile
// time; None for the commands that run.
enum class TSetupInfoField : uint8_t {
  None,
  Name,
  ShortName,
  OutFile,
  InstallDir,
  InstallDirRegKey,
  Changelog,
  Pages,
  UninstallPages,
  UninstallPrefix,
};

// The parameters of a line that name labels; the compile step replaces each
// by the row of its label.
struct TLabelParameters {
  std::vector<size_t> Indices;
  // "0" names no label (the step then does not jump), rather than a label "0".
  bool ZeroMeansNone = true;
};

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

  // The run step for a row of the loaded script; the base does nothing.
  virtual void SFXProcess(TRunState& runtime, int32_t row);
  // 0: no data group; 1: plain files ("file"); 2: an update group.
  virtual uint8_t FileKind() const { return 0; }

  // --- Facts of the compile step ------------------------------------------
  // The parameter that names the line's data group: lines naming the same
  // group share it. Nothing for an unnamed group (or none).
  virtual std::optional<size_t> GroupNameParameter() const { return std::nullopt; }
  // The parameter that the compiled script holds enciphered under the
  // archive-update key.
  virtual std::optional<size_t> EncipheredParameter() const { return std::nullopt; }
  // The parameter that holds a data archive's password, which the archive
  // can only hold up to a length.
  virtual std::optional<size_t> PasswordParameter() const { return std::nullopt; }
  virtual TLabelParameters LabelParameters() const { return {}; }
  // True for a command that always jumps to its label.
  virtual bool AlwaysJumps() const { return false; }
  virtual TSetupInfoField SetupInfoField() const { return TSetupInfoField::None; }
  // The entry name prefix of the language file the line adds to the archive;
  // empty for the commands that add none.
  virtual std::string LanguageEntryPrefix() const { return {}; }
  // The parameter counts, as written in the script, that the run step knows;
  // empty when any count from MinParams on will do. With another count the
  // run step shows ParamCountComplaint() and does nothing.
  virtual std::vector<int32_t> RunnableParamCounts() const { return {}; }
  virtual std::string ParamCountComplaint() const { return {}; }
};

}  // namespace tailpack
