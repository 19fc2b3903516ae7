#pragma once
// The shell: special folders, links, programs, executable resources.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Bytes.h"

namespace tailpack {

enum class TSpecialFolder {
  ProgramFiles,
  StartMenuPrograms,
  Desktop,
  AppData,  // the current user's application-data folder
};

struct TShellLink {
  std::string LinkFile;       // where the link is saved
  std::string Target;
  std::string Arguments;
  std::string WorkingFolder;
  std::string IconFile;       // empty: no icon location is set
  int IconIndex = 0;
  int ShowCommand = 1;        // SW_SHOWNORMAL
};

// A started program whose handle was kept.
class IProcess {
 public:
  virtual ~IProcess() = default;
  // The exit code once the program has ended; nothing while it runs.
  virtual std::optional<uint32_t> ExitCode() = 0;
  // Waits at most Milliseconds for the program to end, asleep rather than
  // polling; its exit code when it has ended.
  virtual std::optional<uint32_t> WaitForExit(uint32_t milliseconds) = 0;
};

struct TStartedProgram {
  bool Started = false;
  // Empty when the request went to an already running program.
  std::unique_ptr<IProcess> Process;
};

class IShell {
 public:
  virtual ~IShell() = default;
  // The folder without a trailing backslash; nothing when the platform has none.
  virtual std::optional<std::string> SpecialFolder(TSpecialFolder folder) = 0;
  // The system's own folders that no setup may remove, each without a
  // trailing backslash: the Windows folder, the program files folders, the
  // user's profile, desktop, start menu with its programs folder and
  // application data, and their all-users forms where the system has them,
  // and the folders of the user's own files (documents, pictures, music,
  // videos, downloads, saved games). Asking creates nothing.
  virtual std::vector<std::string> SystemFolders() = 0;
  // Saves a shell link (on POSIX a desktop entry) at LinkFile.
  virtual bool CreateLink(const TShellLink& link) = 0;
  // Replaces the icon-image resource 1 (type RT_ICON, neutral language) of an
  // executable, and its icon group 1 by one that names that image alone;
  // false where the platform has no executable resources.
  virtual bool ReplaceIconImage(const std::string& executable, const TBytes& image) = 0;
  // Starts a program or document with the default verb in a normal window.
  virtual TStartedProgram Execute(const std::string& file, const std::string& parameters) = 0;
  // Opens a document with its default action, maximised; does not wait.
  virtual bool OpenDocument(const std::string& path) = 0;
};

}  // namespace tailpack
