#pragma once
// Commands that describe the setup: the nine that fill the setup information,
// the two language commands that add translations to the archive, and the
// two that load and save the uninstall log at run time.

#include <string>
#include <vector>

#include "script/CommandClass.h"

namespace tailpack {

// A command whose compile step stores its parameters in the setup information.
class TSetupInfoCommand : public TCommandClass {
 public:
  using TCommandClass::TCommandClass;
  bool Compile(TCompiler& compiler, int32_t row) final;

 protected:
  virtual void Apply(TCompiler& compiler, const std::vector<std::string>& params) = 0;
};

class TNameCommand final : public TSetupInfoCommand {
 public:
  TNameCommand() : TSetupInfoCommand("name", 1, true) {}
  void Apply(TCompiler& compiler, const std::vector<std::string>& params) override;
};

class TShortNameCommand final : public TSetupInfoCommand {
 public:
  TShortNameCommand() : TSetupInfoCommand("shortname", 1, true) {}
  void Apply(TCompiler& compiler, const std::vector<std::string>& params) override;
};

class TOutFileCommand final : public TSetupInfoCommand {
 public:
  TOutFileCommand() : TSetupInfoCommand("outfile", 1, true) {}
  void Apply(TCompiler& compiler, const std::vector<std::string>& params) override;
};

class TInstallDirCommand final : public TSetupInfoCommand {
 public:
  TInstallDirCommand() : TSetupInfoCommand("installdir", 1, true) {}
  void Apply(TCompiler& compiler, const std::vector<std::string>& params) override;
};

class TInstallDirRegKeyCommand final : public TSetupInfoCommand {
 public:
  TInstallDirRegKeyCommand() : TSetupInfoCommand("installdirregkey", 3, true) {}
  void Apply(TCompiler& compiler, const std::vector<std::string>& params) override;
};

class TChangelogCommand final : public TSetupInfoCommand {
 public:
  TChangelogCommand() : TSetupInfoCommand("changelog", 1, true) {}
  void Apply(TCompiler& compiler, const std::vector<std::string>& params) override;
};

class TPagesCommand final : public TSetupInfoCommand {
 public:
  TPagesCommand() : TSetupInfoCommand("pages", 1, true) {}
  void Apply(TCompiler& compiler, const std::vector<std::string>& params) override;
};

class TUninstallPagesCommand final : public TSetupInfoCommand {
 public:
  TUninstallPagesCommand() : TSetupInfoCommand("uninstallpages", 1, true) {}
  void Apply(TCompiler& compiler, const std::vector<std::string>& params) override;
};

class TUninstallPrefixCommand final : public TSetupInfoCommand {
 public:
  TUninstallPrefixCommand() : TSetupInfoCommand("prefix", 1, true) {}
  void Apply(TCompiler& compiler, const std::vector<std::string>& params) override;
};

// "language" and "uninstalllanguage": the compiler's languages\<name>.wri as
// the group-0 entry EntryPrefix + name.
class TLanguageFileCommand : public TCommandClass {
 public:
  TLanguageFileCommand(std::string keyword, std::string entryPrefix)
      : TCommandClass(std::move(keyword), 1), EntryPrefix(std::move(entryPrefix)) {}
  bool Compile(TCompiler& compiler, int32_t row) final;
  // The source file a line names.
  static std::string LanguageFile(const TCompiler& compiler, const std::string& name);
  const std::string EntryPrefix;
};

class TLanguageCommand final : public TLanguageFileCommand {
 public:
  TLanguageCommand() : TLanguageFileCommand("language", "LANGUAGE-") {}
};

class TUninstallLanguageCommand final : public TLanguageFileCommand {
 public:
  TUninstallLanguageCommand() : TLanguageFileCommand("uninstalllanguage", "UNINSTALL_LANGUAGE-") {}
};

class TUninstallLogLoadCommand final : public TCommandClass {
 public:
  TUninstallLogLoadCommand() : TCommandClass("uninstalllogload", 1) {}
  void SFXProcess(TSetupRuntime& runtime, int32_t row) override;
};

class TUninstallLogSaveCommand final : public TCommandClass {
 public:
  TUninstallLogSaveCommand() : TCommandClass("uninstalllogsave", 1) {}
  void SFXProcess(TSetupRuntime& runtime, int32_t row) override;
};

}  // namespace tailpack
