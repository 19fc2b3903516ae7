#include "base/ProgressChannel.h"

#include <gtest/gtest.h>

#include <thread>

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
