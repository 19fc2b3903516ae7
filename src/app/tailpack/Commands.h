#pragma once
// The subcommands of the tailpack tool. Each Add function registers one
// subcommand whose callback runs it and stores its exit code in ExitCode.

namespace CLI {
class App;
}

namespace tailpack {

void AddListCommand(CLI::App& app, int& exitCode);
void AddVerifyCommand(CLI::App& app, int& exitCode);
void AddExtractCommand(CLI::App& app, int& exitCode);
void AddBuildCommand(CLI::App& app, int& exitCode);
void AddScriptCommand(CLI::App& app, int& exitCode);
void AddLogCommand(CLI::App& app, int& exitCode);
void AddZrpCommand(CLI::App& app, int& exitCode);
void AddVfsCommand(CLI::App& app, int& exitCode);

}  // namespace tailpack
