// tailpack: the command-line tool around setup archives.

#include <cstdio>

#include "CLI/CLI.hpp"
#include "app/tailpack/Commands.h"
#include "app/tailpack/ToolSupport.h"
#include "base/Errors.h"

int main(int argc, char** argv) {
  using namespace tailpack;
  TToolMessageBoxes boxes;
  CLI::App app{"tailpack: build setups, and inspect setup archives, compiled scripts and uninstall logs"};
  app.require_subcommand(1);
  int exitCode = kToolExitSuccess;
  AddBuildCommand(app, exitCode);
  AddListCommand(app, exitCode);
  AddVerifyCommand(app, exitCode);
  AddExtractCommand(app, exitCode);
  AddScriptCommand(app, exitCode);
  AddLogCommand(app, exitCode);
  AddZrpCommand(app, exitCode);
  AddVfsCommand(app, exitCode);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // --help and --version are "errors" of CLI11 with exit code 0.
    int code = app.exit(error);
    return code == 0 ? kToolExitSuccess : kToolExitUsage;
  } catch (const ETailpackError& error) {
    PrintError(TerminalText(error.what()));
    return kToolExitUnreadable;
  }
  return exitCode;
}
