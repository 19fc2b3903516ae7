#pragma once
// The last resort for an unexpected failure: a numbered text report in the
// temporary folder ("ErrorLog0000.TXT" upward) with facts about the setup, its
// archive, the error, the command line and the machine, a message box that
// says where it is, the report opened for the user, and the end of the
// process with kExitErrorReport. docs/error-report.md shows the layout.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tailpack {

// What the report tells about the setup and its archive. The runtime
// registers a provider once these exist; until then all are empty or 0.
struct TErrorReportFacts {
  std::string SetupName;
  std::string SetupExeName;
  std::string PakId;  // the archive header's four ID characters as read
  uint32_t PakVersion = 0;
  uint32_t PakFileCount = 0;
  std::vector<std::string> Arguments;  // the command-line arguments, without the program
};

using TErrorReportFactsProvider = std::function<TErrorReportFacts()>;

// Registers the provider asked when a report is written, so the report shows
// the values of that moment. An empty provider goes back to empty facts.
void SetErrorReportFacts(TErrorReportFactsProvider provider);
// The provider's facts; empty ones when none is registered or it fails.
TErrorReportFacts CurrentErrorReportFacts();

// What the report tells about the machine.
struct TMachineReportFacts {
  std::string Product;  // product name, a space, edition
  uint32_t BuildNumber = 0;
  std::string ServicePack;
  uint32_t ServicePackMajor = 0;
  uint32_t ServicePackMinor = 0;
  uint64_t PhysicalMemory = 0;  // bytes
  uint32_t CpuSpeedMHz = 0;
};

// This machine's facts; measuring the processor takes about a second where
// the time-stamp counter can be read.
TMachineReportFacts CurrentMachineFacts();

// Folder + "ErrorLog" + the number with at least four digits + ".TXT".
std::string ErrorLogFileName(const std::string& folder, uint32_t number);
// The name with the smallest number from 0 upward that nothing in Folder uses.
std::string NextErrorLogFileName(const std::string& folder);

// The arguments upper-cased and separated by single spaces; "/J" and the two
// arguments after it become "/j X X.X.X.X", so they never reach the report.
std::string ParamsSummary(const std::vector<std::string>& arguments);

// The processor's speed in MHz from two time-stamp readings 500 ms apart.
uint32_t CpuSpeedFromCounter(uint64_t first, uint64_t second);
// The larger of two measurements; 0 when the time-stamp counter is unavailable.
uint32_t CpuSpeedMHz();

// The total physical memory as the report writes it: whole MiB plus one, "MB".
std::string PhysicalMemoryText(uint64_t bytes);

// One value line, "%-22s : %s" and CRLF: a longer name is never cut.
std::string ErrorReportValueLine(std::string_view name, std::string_view value);

// The report's full text, CRLF line ends.
std::string ErrorReportText(const TErrorReportFacts& setup, const TMachineReportFacts& machine,
                            const std::string& errorText, const std::string& errorType);
// The message that tells the user where the report is.
std::u16string ErrorReportMessage(const std::string& errorText, const std::string& errorType,
                                  const std::string& fileName);

// Writes Text into a new file under the next free name in Folder (never an
// existing file, nor a link planted under that name) and returns the name.
// Raises EIOError when the file cannot be created or written completely.
std::string WriteErrorReportFile(const std::string& folder, const std::string& text);

// Writes the report into the system's temporary folder, tells the user, opens
// it and ends the process with kExitErrorReport. ErrorText is the failure's
// message, ErrorType the context ("Setup Thread") or empty. When the report
// cannot be written, says so on standard error and in a message box and
// still ends the process with that code. A second caller waits for the first.
[[noreturn]] void ErrorReport(const std::string& errorText, const std::string& errorType);

}  // namespace tailpack
