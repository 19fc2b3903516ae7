// tailpack-setup: the setup runtime. Its archive travels appended to this
// program (or is named as the first argument); RunSetupProgram does the rest.

#include "platform/ProcessSecurity.h"
#include "platform/ProgramArguments.h"
#include "setup/Startup.h"
#include "ui/headless/HeadlessUserInterface.h"
#include "ui/terminal/TerminalUserInterface.h"

int main(int argc, char** argv) {
  // Before any user interface can load a library.
  tailpack::HardenProcess();
  std::vector<std::string> arguments = tailpack::ProgramArguments(argc, argv);
  if (tailpack::ParseSetupCommandLine(arguments).Silent) {
    tailpack::THeadlessUserInterface ui;
    return tailpack::RunSetupProgram(arguments, ui);
  }
  tailpack::TTerminalUserInterface ui;
  return tailpack::RunSetupProgram(arguments, ui);
}
