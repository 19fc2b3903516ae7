#pragma once
// What the game data archives need from the setup that runs them: the
// installation folder their names are relative to, the language's status
// texts, the progress gauge and a Retry/Cancel question. The script commands
// supply it; tests supply their own.

#include <cstdint>
#include <string>

#include "i18n/StringIds.h"

namespace tailpack {

class IUpdateHost {
 public:
  virtual ~IUpdateHost() = default;
  // The installation folder (with or without a trailing backslash).
  virtual std::string InstallDir() = 0;
  // A string of the current language.
  virtual std::u16string LanguageString(TStringId id) = 0;
  virtual void SetStatusText(const std::u16string& text) = 0;
  // Counts one step of the gauge; with Notify the window is told at once.
  virtual void StepProgress(bool notify) = 0;
  // Shows Message in an "Error" box with Retry and Cancel; true for Retry.
  virtual bool AskRetry(const std::string& message) = 0;
  // Shows the setup archive's DecompSize message of an entry that inflated
  // to another length than its Size, before the update fails on it.
  virtual void ShowEntryMessage(const std::string& text) = 0;
};

// The full path of an archive named relative to the installation folder.
std::string ArchivePathIn(IUpdateHost& host, const std::string& archiveName);

}  // namespace tailpack
