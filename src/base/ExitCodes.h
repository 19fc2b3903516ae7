#pragma once
// Exit codes of tailpack-setup. Only a completed run exits with 0, so a
// scripted silent install can tell failure from success. docs/command-line.md
// lists them for users.

namespace tailpack {

constexpr int kExitCompleted = 0;
// The setup could not start: bad command line, no archive, missing or broken
// setup information, compiled script, uninstall log or installation folder.
constexpr int kExitStartupFailed = 1;
// An archive entry failed its check.
constexpr int kExitVerificationFailed = 2;
// The script ended the installation (a "failure" line, a missing archive to
// update) or a file could not be installed.
constexpr int kExitInstallationAborted = 3;
// The user cancelled the wizard.
constexpr int kExitCancelled = 4;
// An unexpected failure; an error report was written.
constexpr int kExitErrorReport = 5;

}  // namespace tailpack
