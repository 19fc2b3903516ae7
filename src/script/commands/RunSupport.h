#pragma once
// Pieces the run steps of several commands share: their line and parameters,
// path-variable expansion, the "$CDDRIVE" search, data-group numbers, registry
// roots and the way a command ends a run that cannot go on.

#include <cstdint>
#include <string>

namespace tailpack {

class TRunState;
struct TCompLine;

// The loaded line of Row. Raises EListIndexError for a row outside the script,
// so a damaged script never reads beyond its lines.
TCompLine& RunLine(TRunState& runtime, int32_t row);
// Parameter Index of a line; an empty text when the line has fewer (only a
// hand-made script can have fewer than its command's minimum).
const std::string& Param(const TCompLine& line, int32_t index);

// The text with its path variables expanded (through the wide form, as the
// variables may hold characters outside the code page until converted back).
std::string Expand(const TRunState& runtime, const std::string& text);

// The path with "$CDDRIVE" (any letter case) replaced by the root of the first
// CD-ROM drive on which the resulting file exists; the path unchanged when it
// names no "$CDDRIVE" or no CD-ROM drive holds the file.
std::string ResolveCDDrive(const std::string& path);

// A data group number written by the compile step. Raises EConversionError
// when the text is not a decimal number from 1 to 65535.
uint16_t GroupNumber(const std::string& text);

// Selects the root named by a short name ("HKCU"; anything unknown is HKLM)
// on the runtime's registry accessor.
void SelectRootKey(TRunState& runtime, const std::string& shortName);

// Ends the run as failed: an "Error" box telling Message (none when it is
// empty), the language's failure text (string 23) in the finish label, and
// InstallFailed and ScriptAborted set so the walk stops after this line and
// the run exits with kExitInstallationAborted.
void AbortRun(TRunState& runtime, const std::string& message);

// Shows Message in an "Error" box with a warning icon and the buttons Retry
// and Cancel; true when the user chose Retry.
bool AskRetry(const std::string& message);

// Tells the user in an "Error" box that something the run needed could not be
// written, and marks the run failed without stopping the walk.
void ReportRunFailure(TRunState& runtime, const std::string& message);

}  // namespace tailpack
