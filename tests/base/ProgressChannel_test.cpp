#include "base/ProgressChannel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "base/Text.h"

namespace tailpack {
namespace {

TEST(ProgressChannel, DropsReportsForControlsThatDoNotExist) {
  TProgressChannel channel;
  channel.SetStatusText(u"lost");
  channel.StepProgress(true);
  channel.SetFileLabel(u"lost");
  EXPECT_FALSE(channel.TakeStatusText());
  EXPECT_FALSE(channel.TakeStep());
  EXPECT_FALSE(channel.TakeFileLabel());
  EXPECT_EQ(channel.StepCount(), 0u);
}

TEST(ProgressChannel, HandsOverTheLatestValuesOnce) {
  TProgressChannel channel;
  channel.AttachControls(true, true, true);
  channel.SetStatusText(u"one");
  channel.SetStatusText(u"two");
  channel.StepProgress(true);
  channel.StepProgress(false);  // counted, not posted
  EXPECT_EQ(channel.TakeStatusText(), u"two");
  EXPECT_FALSE(channel.TakeStatusText());
  EXPECT_EQ(channel.TakeStep(), 1u);
  EXPECT_EQ(channel.StepCount(), 2u);
  channel.StepProgress(true);
  EXPECT_EQ(channel.TakeStep(), 3u);
}

// The window sleeps on the channel: what it waits for must end the wait, and
// what it does not wait for must not.
TEST(ProgressChannel, AWaitingWindowWakesForWhatItWaitsFor) {
  struct TCase {
    const char* Name;
    std::function<void(TProgressChannel&)> Action;
    bool WakesWindow;  // one that waits for reports
    bool WakesSilentWindow;
  };
  const TCase cases[] = {
      {"status", [](TProgressChannel& c) { c.SetStatusText(u"x"); }, true, false},
      {"posted step", [](TProgressChannel& c) { c.StepProgress(true); }, true, false},
      {"counted step", [](TProgressChannel& c) { c.StepProgress(false); }, false, false},
      {"finish label", [](TProgressChannel& c) { c.SetFileLabel(u"x"); }, true, false},
      {"wake", [](TProgressChannel& c) { c.Wake(); }, true, true},
      {"nothing", [](TProgressChannel&) {}, false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    for (auto events : {TProgressEvents::PostsAndWakes, TProgressEvents::WakesOnly}) {
      TProgressChannel channel;
      channel.AttachControls(true, true, true);
      uint64_t seen = channel.Events(events);
      c.Action(channel);
      bool expected = events == TProgressEvents::PostsAndWakes ? c.WakesWindow : c.WakesSilentWindow;
      // Something that happened before the wait ends it at once.
      EXPECT_EQ(channel.WaitForEvents(events, seen, std::chrono::milliseconds(expected ? 60000 : 1)) != seen,
                expected);
    }
  }
  TProgressChannel withoutControls;
  uint64_t seen = withoutControls.Events(TProgressEvents::PostsAndWakes);
  withoutControls.SetStatusText(u"dropped");
  EXPECT_EQ(withoutControls.WaitForEvents(TProgressEvents::PostsAndWakes, seen, std::chrono::milliseconds(1)), seen);
}

// A window that waits between takes sees the worker's last report, and is
// woken for it rather than finding it when a wait runs out.
TEST(ProgressChannel, AWaitingWindowGetsEveryLastReport) {
  TProgressChannel channel;
  channel.AttachControls(true, true, false);
  std::atomic<bool> done{false};
  std::thread worker([&] {
    for (int i = 1; i <= 2000; ++i) {
      channel.SetStatusText(u"file " + Wide(std::to_string(i)));
      channel.StepProgress(true);
    }
    done = true;
    channel.Wake();
  });
  uint64_t seen = channel.Events(TProgressEvents::PostsAndWakes);
  std::u16string status;
  uint32_t step = 0;
  for (;;) {
    bool finished = done;
    uint64_t before = seen;
    if (auto text = channel.TakeStatusText()) status = *text;
    if (auto posted = channel.TakeStep()) {
      EXPECT_GE(*posted, step);
      step = *posted;
    }
    if (finished) break;
    seen = channel.WaitForEvents(TProgressEvents::PostsAndWakes, before, std::chrono::minutes(1));
    ASSERT_NE(seen, before) << "the wait ran out instead of being woken";
  }
  worker.join();
  EXPECT_EQ(status, u"file 2000");
  EXPECT_EQ(step, 2000u);
}

TEST(ProgressChannel, WorkerAndWindowThreadsShareIt) {
  TProgressChannel channel;
  channel.AttachControls(true, true, false);
  std::thread worker([&channel] {
    for (int i = 0; i < 10000; ++i) channel.StepProgress(i % 7 == 0);
  });
  uint32_t lastSeen = 0;
  while (channel.StepCount() < 10000) {
    if (auto posted = channel.TakeStep()) {
      EXPECT_GE(*posted, lastSeen);
      lastSeen = *posted;
    }
  }
  worker.join();
  EXPECT_EQ(channel.StepCount(), 10000u);
}

}  // namespace
}  // namespace tailpack
