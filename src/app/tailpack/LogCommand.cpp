// tailpack log: the three lists of an uninstall log.

#include <cstdio>
#include <memory>

#include "CLI/CLI.hpp"
#include "app/tailpack/Commands.h"
#include "app/tailpack/ToolSupport.h"
#include "platform/HostPaths.h"
#include "uninstall/UninstallList.h"

namespace tailpack {

namespace {

struct TLogOptions {
  std::string Folder;
  std::string Prefix;
};

void PrintList(const char* title, const std::vector<std::string>& entries) {
  std::printf("%s (%zu):\n", title, entries.size());
  for (const std::string& entry : entries) std::printf("  %s\n", TerminalText(entry).c_str());
}

int RunLog(const TLogOptions& options) {
  auto folder = WindowsPathFromHost(options.Folder);
  if (!folder) {
    PrintError("\"" + options.Folder + "\" lies on no mapped drive");
    return kToolExitUnreadable;
  }
  // Entries are shown as stored, variables and all.
  TUninstallList list;
  // "--prefix Demo" means the log of a "prefix Demo" line, Demo_install.log.
  std::string prefix = options.Prefix;
  if (!prefix.empty() && prefix.back() != '_' && list.LoadFromFile(*folder, prefix) == TLogLoad::Missing) prefix += '_';
  std::string path = TUninstallList::LogPath(*folder, prefix);
  switch (list.LoadFromFile(*folder, prefix)) {
    case TLogLoad::Missing:
      PrintError("there is no uninstall log \"" + TerminalText(path) + "\"");
      return kToolExitUnreadable;
    case TLogLoad::Damaged:
      PrintError("the uninstall log is damaged: it ends early; the complete entries follow");
      break;
    case TLogLoad::Loaded:
      break;
  }
  PrintList("Files", list.Files);
  PrintList("Registry values", list.RegistryValues);
  PrintList("Folders", list.Folders);
  return kToolExitSuccess;
}

}  // namespace

void AddLogCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<TLogOptions>();
  CLI::App* command = app.add_subcommand("log", "Print the files, registry values and folders of an uninstall log");
  command->add_option("FOLDER", options->Folder, "The folder that holds the log (the installation folder)")->required();
  command->add_option("--prefix", options->Prefix, "The log's name prefix: Demo for Demo_install.log");
  command->callback([options, &exitCode] { exitCode = RunLog(*options); });
}

}  // namespace tailpack
