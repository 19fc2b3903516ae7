#include "diag/ErrorReport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <utility>

#include "base/Errors.h"
#include "base/ExitCodes.h"
#include "diag/OSInfo.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "system/FileHelpers.h"
#include "system/MessageBoxes.h"

namespace tailpack {

namespace {

constexpr size_t kValueNameWidth = 22;

std::mutex& ProviderLock() {
  static std::mutex lock;
  return lock;
}

TErrorReportFactsProvider& Provider() {
  static TErrorReportFactsProvider provider;
  return provider;
}

void AppendValueLine(std::string& out, std::string_view name, std::string_view value) {
  out += ErrorReportValueLine(name, value);
}

void AppendSectionHead(std::string& out, std::string_view title) {
  out += title;
  out += "\r\n";
  out += std::string(title.size(), '-');
  out += "\r\n";
}

std::string ContextName(const std::string& errorType) { return errorType.empty() ? "Unknown" : errorType; }

uint32_t MeasureCpuSpeedOnce() {
  using namespace std::chrono_literals;
  TPriorityState saved = System().RaisePriority();
  std::this_thread::sleep_for(10ms);
  uint64_t first = System().TimeStampCounter();
  std::this_thread::sleep_for(500ms);
  uint64_t second = System().TimeStampCounter();
  System().RestorePriority(saved);
  return CpuSpeedFromCounter(first, second);
}

// Ends the process with the error report's code, whatever the platform in place does.
[[noreturn]] void EndProcess() {
  System().ExitNow(kExitErrorReport);
  std::_Exit(kExitErrorReport);
}

// Lets only the first failing thread report; the process ends with its report.
void EnterReportOnce() {
  static std::mutex lock;
  static std::thread::id reporter;
  static bool started = false;
  {
    std::lock_guard guard(lock);
    if (!started) {
      started = true;
      reporter = std::this_thread::get_id();
      return;
    }
    // A failure while reporting (in a message box backend, say) must not
    // start the report again.
    if (reporter == std::this_thread::get_id()) EndProcess();
  }
  for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
}

// The report could not be written: tell what happened wherever someone may see it.
void TellReportUnwritable(const std::string& errorText, const std::string& errorType, const std::string& reason) {
  std::fprintf(stderr, "%s Error: %s\nThe error log could not be created: %s\n", ContextName(errorType).c_str(),
               errorText.c_str(), reason.c_str());
  std::fflush(stderr);
  try {
    MessageBoxes().Show(AnsiToWide(ContextName(errorType) + " Error: " + errorText +
                                   "\r\rThe error log could not be created: " + reason),
                        u"Error Report", TMessageButtons::Ok, TMessageIcon::Error);
  } catch (...) {
    // Safe to drop: the text is on standard error already, and the process
    // ends right after this whatever the box did.
  }
}

}  // namespace

void SetErrorReportFacts(TErrorReportFactsProvider provider) {
  std::lock_guard guard(ProviderLock());
  Provider() = std::move(provider);
}

TErrorReportFacts CurrentErrorReportFacts() {
  TErrorReportFactsProvider provider;
  {
    std::lock_guard guard(ProviderLock());
    provider = Provider();
  }
  if (!provider) return {};
  try {
    return provider();
  } catch (...) {
    // The report matters more than these facts.
    return {};
  }
}

TMachineReportFacts CurrentMachineFacts() {
  TMachineReportFacts machine;
  TOSFacts facts = TOSInfo::MachineFacts();
  machine.Product = TOSInfo::OsProductName(TOSInfo::OsProductCode(facts)) + " " + TOSInfo::OsEdition(facts);
  machine.BuildNumber = facts.Version.Build;
  machine.ServicePack = TOSInfo::OsServicePack(facts);
  machine.ServicePackMajor = TOSInfo::ServicePackMajor(facts);
  machine.ServicePackMinor = TOSInfo::ServicePackMinor(facts);
  machine.PhysicalMemory = System().PhysicalMemory();
  machine.CpuSpeedMHz = CpuSpeedMHz();
  return machine;
}

std::string ErrorLogFileName(const std::string& folder, uint32_t number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04u", number);
  return IncludeTrailingBackslash(folder) + "ErrorLog" + digits + ".TXT";
}

std::string NextErrorLogFileName(const std::string& folder) {
  uint32_t number = 0;
  while (Files().Exists(ErrorLogFileName(folder, number)) && number < UINT32_MAX) ++number;
  return ErrorLogFileName(folder, number);
}

std::string ParamsSummary(const std::vector<std::string>& arguments) {
  std::string summary;
  for (size_t index = 0; index < arguments.size(); ++index) {
    std::string upper = UpperAnsi(arguments[index]);
    if (upper == "/J") {
      summary += " /j X X.X.X.X";
      index += 2;
    } else {
      summary += " " + upper;
    }
  }
  return summary.empty() ? summary : summary.substr(1);
}

uint32_t CpuSpeedFromCounter(uint64_t first, uint64_t second) {
  if (first == 0 || second <= first) return 0;
  return static_cast<uint32_t>((second - first + 250000) / 500000);
}

uint32_t CpuSpeedMHz() {
  // Without a counter there is nothing to measure; skip the second of sleeping.
  if (System().TimeStampCounter() == 0) return 0;
  // Both readings of a measurement come from one processor's counter. Only
  // this thread is pinned, and only while it measures: the rest of the run
  // (and any program it starts) keeps every processor.
  const TProcessorPin pin = System().PinThreadToFirstProcessor();
  uint32_t first = MeasureCpuSpeedOnce();
  uint32_t second = MeasureCpuSpeedOnce();
  System().ReleaseProcessorPin(pin);
  return std::max(first, second);
}

std::string ErrorReportValueLine(std::string_view name, std::string_view value) {
  std::string line(name);
  if (line.size() < kValueNameWidth) line.resize(kValueNameWidth, ' ');
  line += " : ";
  line += value;
  line += "\r\n";
  return line;
}

std::string PhysicalMemoryText(uint64_t bytes) { return std::to_string(bytes / 1048576 + 1) + "MB"; }

std::string ErrorReportText(const TErrorReportFacts& setup, const TMachineReportFacts& machine,
                            const std::string& errorText, const std::string& errorType) {
  // A header that was never read holds zero bytes, which do not belong in a text file.
  std::string pakId = setup.PakId.substr(0, setup.PakId.find('\0'));
  std::string out;
  AppendSectionHead(out, "General Info");
  AppendValueLine(out, "Setup Name", setup.SetupName);
  AppendValueLine(out, "Setup EXE Name", setup.SetupExeName);
  out += "\r\n";
  AppendSectionHead(out, "Pak Info");
  AppendValueLine(out, "ID", pakId);
  AppendValueLine(out, "Version", std::to_string(setup.PakVersion));
  AppendValueLine(out, "Count", std::to_string(setup.PakFileCount));
  out += "\r\n";
  AppendValueLine(out, "ErrorType", ContextName(errorType));
  AppendValueLine(out, "ErrorText", errorText);
  out += "\r\n";
  AppendValueLine(out, "Params", ParamsSummary(setup.Arguments));
  AppendValueLine(out, "ParamCount", std::to_string(setup.Arguments.size()));
  out += "\r\n";
  AppendSectionHead(out, "Windows Info");
  AppendValueLine(out, "Product", machine.Product);
  AppendValueLine(out, "BuildNumber", std::to_string(machine.BuildNumber));
  AppendValueLine(out, "ServicePack", machine.ServicePack);
  AppendValueLine(out, "ServicePackMajor", std::to_string(machine.ServicePackMajor));
  AppendValueLine(out, "ServicePackMinor", std::to_string(machine.ServicePackMinor));
  out += "\r\n";
  AppendValueLine(out, "Physical Memory", PhysicalMemoryText(machine.PhysicalMemory));
  AppendValueLine(out, "CPU Speed", std::to_string(machine.CpuSpeedMHz) + "Mhz");
  return out;
}

std::u16string ErrorReportMessage(const std::string& errorText, const std::string& errorType,
                                  const std::string& fileName) {
  return AnsiToWide(ContextName(errorType) + " Error: " + errorText + "\r\r" +
                    "Error Log Created. Please Include \"" + fileName + "\" with your bug report");
}

std::string WriteErrorReportFile(const std::string& folder, const std::string& text) {
  uint32_t number = 0;
  for (;;) {
    while (Files().Exists(ErrorLogFileName(folder, number))) {
      if (number == UINT32_MAX) throw EIOError("No free error log name in \"" + folder + "\"");
      ++number;
    }
    std::string fileName = ErrorLogFileName(folder, number);
    // CreateNew never opens what another process put there under this name.
    auto file = Files().Open(fileName, TFileMode::CreateNew, TFileShare::Read);
    if (!file) {
      // Someone took the name between the look and the creation: try the next.
      if (Files().Exists(fileName)) continue;
      throw EIOError("Cannot create the error log \"" + fileName + "\"");
    }
    auto size = static_cast<uint32_t>(text.size());
    bool complete = file->Write(text.data(), size) == size;
    complete = file->Flush() && complete;
    if (!complete) throw EIOError("Cannot write the error log \"" + fileName + "\" completely");
    return fileName;
  }
}

void ErrorReport(const std::string& errorText, const std::string& errorType) {
  EnterReportOnce();
  std::string fileName;
  try {
    TErrorReportFacts setup = CurrentErrorReportFacts();
    TMachineReportFacts machine = CurrentMachineFacts();
    fileName = WriteErrorReportFile(Files().TempFolder(), ErrorReportText(setup, machine, errorText, errorType));
  } catch (const std::exception& failure) {
    TellReportUnwritable(errorText, errorType, failure.what());
    EndProcess();
  } catch (...) {
    TellReportUnwritable(errorText, errorType, "unknown failure");
    EndProcess();
  }
  // The report is written; a failing box or shell is no reason to stay.
  try {
    MessageBoxes().Show(ErrorReportMessage(errorText, errorType, fileName), u"Error Report", TMessageButtons::Ok,
                        TMessageIcon::Error);
  } catch (...) {
    // Safe to drop: the report is on disk, and the process ends below.
  }
  try {
    Shell().OpenDocument(fileName);
  } catch (...) {
    // Likewise: showing the report is a courtesy; it is written.
  }
  EndProcess();
}

}  // namespace tailpack
