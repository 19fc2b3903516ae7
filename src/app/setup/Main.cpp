// tailpack-setup: the setup runtime. Its archive travels appended to this
// program (or is named as the first argument); RunSetupProgram does the rest.

#include "platform/ProcessSecurity.h"
#include "platform/ProgramArguments.h"
#include "platform/TextCodec.h"
#include "runtime/Startup.h"
#include "ui/SetupUserInterface.h"
#include "ui/headless/HeadlessMessageBoxes.h"

int main(int argc, char** argv) {
  // Before any user interface can load a library.
  tailpack::HardenProcess();
  // Boxes shown before a backend brings its own, and in a run whose backend
  // has none (a silent run on POSIX), go to standard error and take the
  // answers of TAILPACK_ANSWERS. It lives as long as the program, as a box
  // may still be shown while the program ends.
  static tailpack::THeadlessMessageBoxes boxes;
  tailpack::SetMessageBoxes(boxes);
  // Where the system hands over one command line, the setup splits it by its
  // own rules (a backslash before a quote is an ordinary character).
  std::vector<std::string> arguments;
  if (auto commandLine = tailpack::ProgramCommandLine()) {
    for (const std::u16string& argument : tailpack::SplitSetupCommandLine(*commandLine))
      arguments.push_back(tailpack::WideToAnsi(argument));
  } else {
    arguments = tailpack::ProgramArguments(argc, argv);
  }
  auto ui = tailpack::MakeSetupUserInterface(tailpack::ParseSetupCommandLine(arguments).Silent);
  return tailpack::RunSetupProgram(arguments, *ui);
}
