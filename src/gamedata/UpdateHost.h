#pragma once
// What the game data archives need from the setup that runs them: the
// installation folder their names are relative to, the language's status
// texts, the progress gauge and a Retry/Cancel question. The script commands
// supply it; tests supply their own.

#include <cstdint>
#include <string>

namespace tailpack {

// Language strings of the archive updates: "<%ZRPNAME%>" names the archive.
constexpr uint16_t kStringAddingFiles = 19;  // also "<%FNUM%>" and "<%FTOTAL%>"
constexpr uint16_t kStringSaving = 20;
constexpr uint16_t kStringOpening = 29;

class IUpdateHost {
 public:
  virtual ~IUpdateHost() = default;
  // The installation folder (with or without a trailing backslash).
  virtual std::string InstallDir() = 0;
  // String Number of the current language.
  virtual std::u16string LanguageString(uint16_t number) = 0;
  virtual void SetStatusText(const std::u16string& text) = 0;
  // Counts one step of the gauge; with Notify the window is told at once.
  virtual void StepProgress(bool notify) = 0;
  // Shows Message in an "Error" box with Retry and Cancel; true for Retry.
  virtual bool AskRetry(const std::string& message) = 0;
};

// The full path of an archive named relative to the installation folder.
std::string ArchivePathIn(IUpdateHost& host, const std::string& archiveName);

}  // namespace tailpack
