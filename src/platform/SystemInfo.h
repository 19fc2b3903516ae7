#pragma once
// Facts about the machine and process-wide controls.

#include <cstdint>
#include <string>
#include <vector>

namespace tailpack {

// What the platform's extended version query tells (all zero elsewhere).
struct TVersionFacts {
  uint32_t PlatformId = 0;  // 1: the Windows 95 family, 2: the NT family
  uint32_t Major = 0;
  uint32_t Minor = 0;
  uint32_t Build = 0;
  std::string ServicePackText;
  bool ExtendedInfo = false;
  uint16_t ServicePackMajor = 0;
  uint16_t ServicePackMinor = 0;
  uint16_t SuiteMask = 0;
  uint8_t ProductType = 0;  // 1 workstation, 2 domain controller, 3 server
};

enum class TSystemMetric {
  MediaCenter,
  TabletPC,
};

// Priorities as they were before a boost, to restore them afterwards.
// The calling thread's processor affinity before a pin, to put back.
struct TProcessorPin {
  std::vector<uint64_t> PreviousMask;
  bool Pinned = false;
};

struct TPriorityState {
  uint32_t ProcessClass = 0;
  int ThreadPriority = 0;
  bool Raised = false;
};

class ISystemInfo {
 public:
  virtual ~ISystemInfo() = default;
  virtual TVersionFacts VersionFacts() = 0;
  virtual bool SystemMetric(TSystemMetric metric) = 0;
  // Total physical memory in bytes (full 64-bit count).
  virtual uint64_t PhysicalMemory() = 0;
  // The processor's time-stamp counter; 0 where it cannot be read.
  virtual uint64_t TimeStampCounter() = 0;
  // Real-time class and time-critical thread priority, as far as allowed.
  virtual TPriorityState RaisePriority() = 0;
  virtual void RestorePriority(const TPriorityState& state) = 0;
  // Runs the calling thread alone on the first processor it may use, for
  // readings of the time-stamp counter that must come from one processor.
  // Only the thread: programs the setup starts inherit a process's affinity.
  virtual TProcessorPin PinThreadToFirstProcessor() = 0;
  virtual void ReleaseProcessorPin(const TProcessorPin& pin) = 0;
  virtual uint16_t DefaultLanguageId() = 0;
  // Milliseconds since some fixed point, wrapping at 2^32.
  virtual uint32_t TickCount() = 0;
  // The environment block's entries ("NAME=value") in block order.
  virtual std::vector<std::string> EnvironmentBlock() = 0;
  // Full path of the running executable.
  virtual std::string ExecutablePath() = 0;
  // Ends the process at once, without any cleanup.
  [[noreturn]] virtual void ExitNow(int code) = 0;
};

}  // namespace tailpack
