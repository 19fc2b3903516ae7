#pragma once
// The setup program from its command line to the end of its run: process
// hardening, the setup archive and its verification, the loading of the setup
// information, compiled script (or uninstall log), languages, installation
// folder and free space, and the hand-over to the wizard.

#include <string>
#include <string_view>
#include <vector>

namespace tailpack {

class IUserInterface;

// What the command line asks for. Switches compare without regard to case.
struct TSetupCommandLine {
  bool Silent = false;
  // The argument after "-id"; empty when there is none.
  std::string InstallDir;
};

TSetupCommandLine ParseSetupCommandLine(const std::vector<std::string>& arguments);

// Splits the program's whole command line (its own name first) into the
// arguments after the name: characters up to the blank separate arguments,
// double quotes group words and are removed, and a backslash is an ordinary
// character, so -id "C:\Games\X\" gives the folder C:\Games\X\ and
// the arguments after it stay arguments.
std::vector<std::u16string> SplitSetupCommandLine(std::u16string_view commandLine);

// Runs the setup program with its arguments (without the program's own name)
// and returns the process's exit code (base/ExitCodes.h): 0 only for a
// completed run. Every start-up problem is told in a message box first. An
// unexpected failure ends the process through the error report.
int RunSetupProgram(const std::vector<std::string>& arguments, IUserInterface& ui);

}  // namespace tailpack
