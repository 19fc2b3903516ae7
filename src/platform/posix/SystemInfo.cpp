// Facts about the machine and process-wide controls on POSIX. The Windows
// version facts and system metrics have no counterpart here and stay zero.

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

#include "platform/HostPaths.h"
#include "platform/Platform.h"
#include "platform/posix/LocaleLanguage.h"

extern char** environ;

namespace tailpack {

namespace {

class TPosixSystemInfo final : public ISystemInfo {
 public:
  TVersionFacts VersionFacts() override { return {}; }

  bool SystemMetric(TSystemMetric) override { return false; }

  uint64_t PhysicalMemory() override {
    long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGE_SIZE);
    return pages > 0 && size > 0 ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(size) : 0;
  }

  uint64_t TimeStampCounter() override {
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    return 0;
#endif
  }

  // Linux keeps the nice value per thread, so this raises the calling thread,
  // which is the one that measures. Without the privilege to go all the way
  // it takes the highest priority it is allowed.
  TPriorityState RaisePriority() override {
    TPriorityState state;
    errno = 0;
    int current = getpriority(PRIO_PROCESS, 0);
    if (current == -1 && errno != 0) return state;
    state.ThreadPriority = current;  // the nice value to return to
    for (int nice = -20; nice < current; ++nice) {
      if (setpriority(PRIO_PROCESS, 0, nice) == 0) {
        state.Raised = true;
        break;
      }
    }
    return state;
  }

  void RestorePriority(const TPriorityState& state) override {
    // Lowering the priority again is always allowed.
    if (state.Raised) setpriority(PRIO_PROCESS, 0, state.ThreadPriority);
  }

  TProcessorPin PinThreadToFirstProcessor() override {
    TProcessorPin pin;
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    // Linux keeps the affinity per thread: pid 0 is the calling thread.
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return pin;
    int first = -1;
    for (int cpu = 0; cpu < CPU_SETSIZE && first < 0; ++cpu)
      if (CPU_ISSET(cpu, &allowed)) first = cpu;
    if (first < 0) return pin;
    cpu_set_t only;
    CPU_ZERO(&only);
    CPU_SET(first, &only);
    if (sched_setaffinity(0, sizeof only, &only) != 0) return pin;
    pin.PreviousMask.assign(CPU_SETSIZE / 64, 0);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
      if (CPU_ISSET(cpu, &allowed)) pin.PreviousMask[cpu / 64] |= uint64_t{1} << (cpu % 64);
    pin.Pinned = true;
    return pin;
  }

  void ReleaseProcessorPin(const TProcessorPin& pin) override {
    if (!pin.Pinned) return;
    cpu_set_t previous;
    CPU_ZERO(&previous);
    for (int cpu = 0; cpu < CPU_SETSIZE && static_cast<size_t>(cpu / 64) < pin.PreviousMask.size(); ++cpu)
      if (pin.PreviousMask[cpu / 64] & (uint64_t{1} << (cpu % 64))) CPU_SET(cpu, &previous);
    sched_setaffinity(0, sizeof previous, &previous);
  }

  uint16_t DefaultLanguageId() override { return posix::LanguageIdFromEnvironment(); }

  uint32_t TickCount() override {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }

  std::vector<std::string> EnvironmentBlock() override {
    std::vector<std::string> block;
    for (char** entry = environ; entry && *entry; ++entry) block.emplace_back(*entry);
    return block;
  }

  std::string ExecutablePath() override {
    std::string buffer(4096, '\0');
    for (;;) {
      ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
      if (length <= 0) return {};
      if (static_cast<size_t>(length) < buffer.size()) {
        buffer.resize(static_cast<size_t>(length));
        break;
      }
      buffer.resize(buffer.size() * 2);
    }
    return WindowsPathFromHost(buffer).value_or("");
  }

  [[noreturn]] void ExitNow(int code) override { _exit(code); }
};

}  // namespace

ISystemInfo& NativeSystemInfo() {
  static TPosixSystemInfo info;
  return info;
}

}  // namespace tailpack
