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
  // Read here rather than by LoadFromFile, so a missing log and a damaged one
  // get words of their own.
  auto bytes = TUninstallList::ReadLogFile(*folder, prefix);
  if (!bytes && !prefix.empty() && prefix.back() != '_') {
    prefix += '_';
    bytes = TUninstallList::ReadLogFile(*folder, prefix);
  }
  if (!bytes) {
    PrintError("there is no uninstall log \"" + TerminalText(TUninstallList::LogPath(*folder, prefix)) + "\"");
    return kToolExitUnreadable;
  }
  if (!list.Deserialize(bytes->data(), static_cast<uint32_t>(bytes->size())))
    PrintError("the uninstall log is damaged: it ends early; the complete entries follow");
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
