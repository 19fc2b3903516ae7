#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/HostPaths.h"
#include "platform/Platform.h"
#include "platform/posix/HostFixture.h"
#include "platform/posix/LocaleLanguage.h"

extern char** environ;

namespace tailpack {
namespace {

using test::TScopedVariable;

TEST(LanguageIdFromLocale, MapsCommonLocales) {
  struct TCase {
    const char* Locale;
    std::optional<uint16_t> Id;
  };
  const TCase cases[] = {
      {"en_US.UTF-8", 0x0409}, {"en_GB", 0x0809},      {"de_DE.UTF-8", 0x0407}, {"de_AT", 0x0C07},
      {"fr_FR@euro", 0x040C},  {"es_ES", 0x0C0A},      {"it_IT", 0x0410},       {"nl_NL", 0x0413},
      {"pt_BR", 0x0416},       {"pt_PT", 0x0816},      {"ru_RU.KOI8-R", 0x0419}, {"pl_PL", 0x0415},
      {"ja_JP.eucJP", 0x0411}, {"zh_CN.GB18030", 0x0804}, {"zh_TW", 0x0404},    {"en-GB", 0x0809},
      {"C", 0x0409},           {"POSIX", 0x0409},      {"C.UTF-8", 0x0409},
      {"de", 0x0407},          {"de_XX", 0x0407},      // the language's main country
      {"xx_YY", std::nullopt}, {"", std::nullopt},     {"fil_PH", std::nullopt},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Locale);
    EXPECT_EQ(posix::LanguageIdFromLocale(c.Locale), c.Id);
  }
}

TEST(DefaultLanguageId, ComesFromTheEnvironmentInOrder) {
  using TValue = std::optional<std::string>;
  struct TCase {
    TValue LangId, All, Messages, Lang;
    uint16_t Expected;
  };
  const TCase cases[] = {
      {"0407", "fr_FR", {}, {}, 0x0407},
      {"0x0c0a", {}, {}, {}, 0x0C0A},
      {"zz", "fr_FR", "de_DE", "en_GB", 0x040C},  // an invalid identifier is ignored
      {"12345", {}, {}, "en_GB", 0x0809},
      {{}, "", "de_DE", "en_GB", 0x0407},         // empty variables do not count
      {{}, {}, {}, "ru_RU.UTF-8", 0x0419},
      {{}, "xx_YY", "de_DE", {}, 0x0409},         // LC_ALL decides, even when unknown
      {{}, {}, {}, {}, 0x0409},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.LangId.value_or("-") + " " + c.All.value_or("-") + " " + c.Messages.value_or("-") + " " +
                 c.Lang.value_or("-"));
    TScopedVariable langId("TAILPACK_LANGID", c.LangId);
    TScopedVariable all("LC_ALL", c.All);
    TScopedVariable messages("LC_MESSAGES", c.Messages);
    TScopedVariable lang("LANG", c.Lang);
    EXPECT_EQ(System().DefaultLanguageId(), c.Expected);
  }
}

TEST(PosixSystemInfo, HasNoWindowsVersionFacts) {
  TVersionFacts facts = System().VersionFacts();
  EXPECT_EQ(facts.PlatformId, 0u);
  EXPECT_EQ(facts.Major, 0u);
  EXPECT_EQ(facts.Build, 0u);
  EXPECT_FALSE(facts.ExtendedInfo);
  EXPECT_FALSE(System().SystemMetric(TSystemMetric::MediaCenter));
  EXPECT_FALSE(System().SystemMetric(TSystemMetric::TabletPC));
}

TEST(PosixSystemInfo, MachineFacts) {
  EXPECT_EQ(System().PhysicalMemory(),
            static_cast<uint64_t>(sysconf(_SC_PHYS_PAGES)) * static_cast<uint64_t>(sysconf(_SC_PAGE_SIZE)));
#if defined(__x86_64__) || defined(__i386__)
  uint64_t first = System().TimeStampCounter();
  EXPECT_GT(System().TimeStampCounter(), first);
#endif
  uint32_t start = System().TickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_GE(System().TickCount() - start, 15u);
}

TEST(PosixSystemInfo, EnvironmentBlockIsInEnvironOrder) {
  TScopedVariable marker("TAILPACK_TEST_MARKER", "a=b c");
  std::vector<std::string> expected;
  for (char** entry = environ; *entry; ++entry) expected.emplace_back(*entry);
  auto block = System().EnvironmentBlock();
  EXPECT_EQ(block, expected);
  EXPECT_NE(std::find(block.begin(), block.end(), "TAILPACK_TEST_MARKER=a=b c"), block.end());
}

TEST(PosixSystemInfo, ExecutablePathIsAWindowsPath) {
  std::string host(4096, '\0');
  ssize_t length = readlink("/proc/self/exe", host.data(), host.size());
  ASSERT_GT(length, 0);
  host.resize(static_cast<size_t>(length));
  std::string path = System().ExecutablePath();
  EXPECT_EQ(path, WindowsPathFromHost(host));
  EXPECT_EQ(path.substr(1, 2), ":\\");
  EXPECT_EQ(path.substr(path.rfind('\\') + 1), "tailpack_tests");
}

TEST(PosixSystemInfo, PriorityIsRaisedAsFarAsAllowedAndRestored) {
  int before = getpriority(PRIO_PROCESS, 0);
  TPriorityState state = System().RaisePriority();
  if (state.Raised) {
    EXPECT_LT(getpriority(PRIO_PROCESS, 0), before);
  } else {
    EXPECT_EQ(getpriority(PRIO_PROCESS, 0), before);
  }
  System().RestorePriority(state);
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), before);
}

int AllowedProcessors() {
  cpu_set_t set;
  sched_getaffinity(0, sizeof set, &set);
  return CPU_COUNT(&set);
}

// Only the calling thread is pinned: the other threads of the run (and the
// programs it starts) keep every processor; the release restores the mask.
TEST(PosixSystemInfo, PinningHoldsTheCallingThreadAloneUntilReleased) {
  const int before = AllowedProcessors();
  std::mutex mutex;
  std::condition_variable changed;
  bool pinned = false;
  int otherThread = 0;
  std::thread other([&] {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return pinned; });
    otherThread = AllowedProcessors();
  });
  TProcessorPin pin = System().PinThreadToFirstProcessor();
  {
    std::lock_guard lock(mutex);
    pinned = true;
  }
  changed.notify_all();
  other.join();
  ASSERT_TRUE(pin.Pinned);
  EXPECT_EQ(AllowedProcessors(), 1);
  EXPECT_EQ(otherThread, before);
  System().ReleaseProcessorPin(pin);
  EXPECT_EQ(AllowedProcessors(), before);
}

TEST(PosixSystemInfoDeathTest, ExitNowEndsAtOnceWithTheCode) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(System().ExitNow(42), ::testing::ExitedWithCode(42), "");
}

}  // namespace
}  // namespace tailpack
