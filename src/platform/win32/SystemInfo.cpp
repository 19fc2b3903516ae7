// Facts about the machine and process-wide controls from the Win32 API.

#include <windows.h>
#include <intrin.h>

#include <vector>

#include "platform/Platform.h"
#include "platform/win32/WideText.h"

namespace tailpack {

namespace {

using win32::FromWide;

class TEnvironmentStrings {
 public:
  TEnvironmentStrings() : block_(GetEnvironmentStringsW()) {}
  ~TEnvironmentStrings() {
    if (block_) FreeEnvironmentStringsW(block_);
  }
  TEnvironmentStrings(const TEnvironmentStrings&) = delete;
  TEnvironmentStrings& operator=(const TEnvironmentStrings&) = delete;
  const wchar_t* Get() const { return block_; }

 private:
  wchar_t* block_;
};

class TWin32SystemInfo final : public ISystemInfo {
 public:
  TVersionFacts VersionFacts() override {
    TVersionFacts facts;
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
      facts.ExtendedInfo = true;
      facts.ServicePackMajor = info.wServicePackMajor;
      facts.ServicePackMinor = info.wServicePackMinor;
      facts.SuiteMask = info.wSuiteMask;
      facts.ProductType = info.wProductType;
    } else {
      // Systems without the extended record still answer the basic one.
      info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
      if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return facts;
    }
    facts.PlatformId = info.dwPlatformId;
    facts.Major = info.dwMajorVersion;
    facts.Minor = info.dwMinorVersion;
    facts.Build = info.dwBuildNumber;
    facts.ServicePackText = FromWide(info.szCSDVersion);
    return facts;
  }

  bool SystemMetric(TSystemMetric metric) override {
    switch (metric) {
      case TSystemMetric::MediaCenter: return GetSystemMetrics(SM_MEDIACENTER) != 0;
      case TSystemMetric::TabletPC: return GetSystemMetrics(SM_TABLETPC) != 0;
    }
    return false;
  }

  uint64_t PhysicalMemory() override {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return 0;
    return status.ullTotalPhys;
  }

  uint64_t TimeStampCounter() override { return __rdtsc(); }

  TPriorityState RaisePriority() override {
    TPriorityState state;
    DWORD processClass = GetPriorityClass(GetCurrentProcess());
    int threadPriority = GetThreadPriority(GetCurrentThread());
    if (processClass == 0 || threadPriority == THREAD_PRIORITY_ERROR_RETURN) return state;
    state.ProcessClass = processClass;
    state.ThreadPriority = threadPriority;
    state.Raised = true;
    // Without the privilege for the real-time class Windows grants the high
    // class instead; either is as far as allowed.
    SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    return state;
  }

  void RestorePriority(const TPriorityState& state) override {
    if (!state.Raised) return;
    SetThreadPriority(GetCurrentThread(), state.ThreadPriority);
    SetPriorityClass(GetCurrentProcess(), state.ProcessClass);
  }

  TProcessorPin PinThreadToFirstProcessor() override {
    TProcessorPin pin;
    DWORD_PTR processMask = 0, systemMask = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask) || processMask == 0) return pin;
    // The lowest processor the process may use; a thread's mask must be a
    // subset of its process's.
    const DWORD_PTR first = processMask & (~processMask + 1);
    const DWORD_PTR previous = SetThreadAffinityMask(GetCurrentThread(), first);
    if (previous == 0) return pin;
    pin.PreviousMask.push_back(previous);
    pin.Pinned = true;
    return pin;
  }

  void ReleaseProcessorPin(const TProcessorPin& pin) override {
    if (pin.Pinned && !pin.PreviousMask.empty())
      SetThreadAffinityMask(GetCurrentThread(), static_cast<DWORD_PTR>(pin.PreviousMask.front()));
  }

  uint16_t DefaultLanguageId() override { return GetSystemDefaultLangID(); }

  uint32_t TickCount() override { return GetTickCount(); }

  std::vector<std::string> EnvironmentBlock() override {
    std::vector<std::string> entries;
    TEnvironmentStrings block;
    if (!block.Get()) return entries;
    // Every entry, including the hidden "=C:=..." ones: the caller decides.
    for (const wchar_t* entry = block.Get(); *entry; entry += wcslen(entry) + 1) entries.push_back(FromWide(entry));
    return entries;
  }

  std::string ExecutablePath() override {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
      DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
      if (length == 0) return {};
      // A full buffer means the name was cut.
      if (length < buffer.size()) return FromWide(std::wstring_view(buffer.data(), length));
      if (buffer.size() >= 32768) return {};
      buffer.resize(buffer.size() * 2);
    }
  }

  [[noreturn]] void ExitNow(int code) override {
    // TerminateProcess runs no exit handlers, destructors or DLL
    // notifications; it does not return for the calling process. ExitProcess
    // only guards the promise never to return.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
    ExitProcess(static_cast<UINT>(code));
  }
};

}  // namespace

ISystemInfo& NativeSystemInfo() {
  static TWin32SystemInfo info;
  return info;
}

}  // namespace tailpack
