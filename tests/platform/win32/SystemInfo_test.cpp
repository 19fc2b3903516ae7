// The Win32 system information against the real API (under Wine on Linux).

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/Platform.h"
#include "platform/win32/WideText.h"
#include "support/TempFolder.h"

namespace tailpack {
namespace {

TEST(Win32SystemInfo, VersionFactsComeFromTheExtendedQuery) {
  TVersionFacts facts = System().VersionFacts();
  EXPECT_TRUE(facts.ExtendedInfo);
  EXPECT_EQ(facts.PlatformId, static_cast<uint32_t>(VER_PLATFORM_WIN32_NT));
  EXPECT_GE(facts.Major, 5u);
  EXPECT_GT(facts.Build, 0u);
  EXPECT_GE(facts.ProductType, 1);
  EXPECT_LE(facts.ProductType, 3);
}

TEST(Win32SystemInfo, PhysicalMemoryIsTheFull64BitCount) {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  ASSERT_TRUE(GlobalMemoryStatusEx(&status));
  EXPECT_EQ(System().PhysicalMemory(), status.ullTotalPhys);
  EXPECT_GT(System().PhysicalMemory(), 64ull << 20);
}

TEST(Win32SystemInfo, TimeStampCounterRuns) {
  uint64_t first = System().TimeStampCounter();
  Sleep(2);
  EXPECT_GT(System().TimeStampCounter(), first);
}

TEST(Win32SystemInfo, RaisedPrioritiesAreRestoredExactly) {
  DWORD processClass = GetPriorityClass(GetCurrentProcess());
  int threadPriority = GetThreadPriority(GetCurrentThread());
  TPriorityState saved = System().RaisePriority();
  ASSERT_TRUE(saved.Raised);
  EXPECT_EQ(saved.ProcessClass, processClass);
  EXPECT_EQ(saved.ThreadPriority, threadPriority);
  EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_TIME_CRITICAL);
  DWORD raisedClass = GetPriorityClass(GetCurrentProcess());
  EXPECT_TRUE(raisedClass == REALTIME_PRIORITY_CLASS || raisedClass == HIGH_PRIORITY_CLASS) << raisedClass;
  System().RestorePriority(saved);
  EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), processClass);
  EXPECT_EQ(GetThreadPriority(GetCurrentThread()), threadPriority);
  // A state that was never raised changes nothing.
  System().RestorePriority(TPriorityState{REALTIME_PRIORITY_CLASS, THREAD_PRIORITY_TIME_CRITICAL, false});
  EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), processClass);
}

// Only the calling thread is pinned: the process (whose mask the programs it
// starts inherit) keeps every processor; the release restores the thread's mask.
TEST(Win32SystemInfo, PinningHoldsTheCallingThreadAloneUntilReleased) {
  DWORD_PTR processMask = 0, systemMask = 0;
  ASSERT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask));
  TProcessorPin pin = System().PinThreadToFirstProcessor();
  ASSERT_TRUE(pin.Pinned);
  const DWORD_PTR first = processMask & (~processMask + 1);
  // Setting a mask returns the one before: the pin's.
  EXPECT_EQ(SetThreadAffinityMask(GetCurrentThread(), first), first);
  DWORD_PTR after = 0;
  ASSERT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &after, &systemMask));
  EXPECT_EQ(after, processMask);
  System().ReleaseProcessorPin(pin);
  EXPECT_EQ(SetThreadAffinityMask(GetCurrentThread(), processMask), processMask);
}

TEST(Win32SystemInfo, LanguageTicksAndExecutable) {
  EXPECT_EQ(System().DefaultLanguageId(), GetSystemDefaultLangID());
  uint32_t ticks = System().TickCount();
  EXPECT_LE(static_cast<uint32_t>(GetTickCount() - ticks), 1000u);
  std::string executable = System().ExecutablePath();
  EXPECT_EQ(executable.size() > 4 ? executable.substr(executable.size() - 4) : "", ".exe") << executable;
  EXPECT_EQ(executable[1], ':');
  EXPECT_TRUE(Files().FileExists(executable));
}

TEST(Win32SystemInfo, EnvironmentBlockIsTheProcessBlockInOrder) {
  // A variable whose value needs the conversion to the ANSI code page.
  ASSERT_TRUE(SetEnvironmentVariableW(L"TAILPACK_TEST_VALUE", L"caf\u00e9 \u20ac"));
  std::vector<std::string> expected;
  {
    wchar_t* block = GetEnvironmentStringsW();
    ASSERT_TRUE(block);
    for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) expected.push_back(win32::FromWide(entry));
    FreeEnvironmentStringsW(block);
  }
  auto entries = System().EnvironmentBlock();
  EXPECT_EQ(entries, expected);
  EXPECT_NE(std::find(entries.begin(), entries.end(), "TAILPACK_TEST_VALUE=" + win32::FromWide(L"caf\u00e9 \u20ac")),
            entries.end());
  SetEnvironmentVariableW(L"TAILPACK_TEST_VALUE", nullptr);
}

// Where the child of the death test below records that exit handlers ran.
// The child runs the test body again, so it learns the path from the
// environment its parent set rather than making a folder of its own.
constexpr wchar_t kExitMarkerVariable[] = L"TAILPACK_TEST_EXIT_MARKER";

std::wstring ExitMarker() {
  wchar_t buffer[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableW(kExitMarkerVariable, buffer, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

void WriteExitMarker() {
  if (FILE* file = _wfopen(ExitMarker().c_str(), L"w")) std::fclose(file);
}

TEST(Win32SystemInfoDeathTest, ExitNowEndsAtOnceWithTheCodeAndNoCleanup) {
  std::optional<test::TTempFolder> temp;
  if (ExitMarker().empty()) {
    temp.emplace();
    SetEnvironmentVariableW(kExitMarkerVariable, win32::ToWide(*temp / "exit-handlers-ran").c_str());
  }
  EXPECT_EXIT(
      {
        std::atexit(WriteExitMarker);
        System().ExitNow(7);
      },
      ::testing::ExitedWithCode(7), "");
  EXPECT_FALSE(Files().Exists(win32::FromWide(ExitMarker())));
  SetEnvironmentVariableW(kExitMarkerVariable, nullptr);
}

}  // namespace
}  // namespace tailpack
