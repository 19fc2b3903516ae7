// Placeholder until the POSIX system information lands.
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "platform/HostPaths.h"
#include "platform/Platform.h"

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
  uint64_t TimeStampCounter() override { return 0; }
  TPriorityState RaisePriority() override { return {}; }
  void RestorePriority(const TPriorityState&) override {}
  bool RestrictToFirstProcessor() override { return false; }
  uint16_t DefaultLanguageId() override { return 0x0409; }
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
    char buffer[4096];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return {};
    return WindowsPathFromHost(std::string(buffer, static_cast<size_t>(length))).value_or("");
  }
  [[noreturn]] void ExitNow(int code) override { _exit(code); }
};

}  // namespace

ISystemInfo& NativeSystemInfo() {
  static TPosixSystemInfo info;
  return info;
}

}  // namespace tailpack
