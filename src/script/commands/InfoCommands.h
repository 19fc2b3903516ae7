#pragma once
// Commands that describe the setup: the nine that fill the setup information,
// the two language commands that add translations to the archive, and the
// two that load and save the uninstall log at run time.

#include <string>

#include "archive/SetupEntryNames.h"
#include "script/CommandClass.h"

namespace tailpack {

// A command whose compile step stores its parameters in the setup
// information; it does nothing at run time.
class TSetupInfoCommand : public TCommandClass {
 public:
  TSetupInfoCommand(std::string keyword, int32_t minParams, TSetupInfoField field)
      : TCommandClass(std::move(keyword), minParams, true), field_(field) {}
  TSetupInfoField SetupInfoField() const final { return field_; }

 private:
  const TSetupInfoField field_;
};

class TNameCommand final : public TSetupInfoCommand {
 public:
  TNameCommand() : TSetupInfoCommand("name", 1, TSetupInfoField::Name) {}
};

class TShortNameCommand final : public TSetupInfoCommand {
 public:
  TShortNameCommand() : TSetupInfoCommand("shortname", 1, TSetupInfoField::ShortName) {}
};

class TOutFileCommand final : public TSetupInfoCommand {
 public:
  TOutFileCommand() : TSetupInfoCommand("outfile", 1, TSetupInfoField::OutFile) {}
};

class TInstallDirCommand final : public TSetupInfoCommand {
 public:
  TInstallDirCommand() : TSetupInfoCommand("installdir", 1, TSetupInfoField::InstallDir) {}
};

class TInstallDirRegKeyCommand final : public TSetupInfoCommand {
 public:
  TInstallDirRegKeyCommand() : TSetupInfoCommand("installdirregkey", 3, TSetupInfoField::InstallDirRegKey) {}
};

class TChangelogCommand final : public TSetupInfoCommand {
 public:
  TChangelogCommand() : TSetupInfoCommand("changelog", 1, TSetupInfoField::Changelog) {}
};

class TPagesCommand final : public TSetupInfoCommand {
 public:
  TPagesCommand() : TSetupInfoCommand("pages", 1, TSetupInfoField::Pages) {}
};

class TUninstallPagesCommand final : public TSetupInfoCommand {
 public:
  TUninstallPagesCommand() : TSetupInfoCommand("uninstallpages", 1, TSetupInfoField::UninstallPages) {}
};

class TUninstallPrefixCommand final : public TSetupInfoCommand {
 public:
  TUninstallPrefixCommand() : TSetupInfoCommand("prefix", 1, TSetupInfoField::UninstallPrefix) {}
};

// "language" and "uninstalllanguage": the compile step adds the builder's
// languages\<name>.wri as the group-0 entry EntryPrefix + name.
class TLanguageFileCommand : public TCommandClass {
 public:
  TLanguageFileCommand(std::string keyword, std::string entryPrefix)
      : TCommandClass(std::move(keyword), 1), EntryPrefix(std::move(entryPrefix)) {}
  std::string LanguageEntryPrefix() const final { return EntryPrefix; }
  const std::string EntryPrefix;
};

class TLanguageCommand final : public TLanguageFileCommand {
 public:
  TLanguageCommand() : TLanguageFileCommand("language", kLanguageEntryPrefix) {}
};

class TUninstallLanguageCommand final : public TLanguageFileCommand {
 public:
  TUninstallLanguageCommand() : TLanguageFileCommand("uninstalllanguage", kUninstallLanguagePrefix) {}
};

class TUninstallLogLoadCommand final : public TCommandClass {
 public:
  TUninstallLogLoadCommand() : TCommandClass("uninstalllogload", 1) {}
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

class TUninstallLogSaveCommand final : public TCommandClass {
 public:
  TUninstallLogSaveCommand() : TCommandClass("uninstalllogsave", 1) {}
  void SFXProcess(TRunState& runtime, int32_t row) override;
};

}  // namespace tailpack
