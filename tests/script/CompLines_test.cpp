#include "script/CompLines.h"

#include <gtest/gtest.h>

namespace tailpack {
namespace {

TCompLines Sample() {
  TCompLines script;
  script.Append(0, {"start"});                    // a label line keeps its name
  script.Append(7, {"data\\", "", "1"});          // an empty parameter still counts
  script.Append(1, {"0"});
  script.Append(19, {});
  script.Append(15, {std::string(40000, 'x')});   // lengths are unsigned
  return script;
}

TEST(CompLines, RoundTripsThroughTheEntryBytes) {
  TCompLines original = Sample();
  TBytes bytes = original.Serialize();
  TCompLines loaded;
  ASSERT_TRUE(loaded.LoadFromBuffer(bytes.data(), static_cast<uint32_t>(bytes.size())));
  ASSERT_EQ(loaded.Lines.size(), original.Lines.size());
  for (size_t i = 0; i < loaded.Lines.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(loaded.Lines[i].CommandIndex, original.Lines[i].CommandIndex);
    EXPECT_EQ(loaded.Lines[i].Row, static_cast<int32_t>(i));
    EXPECT_EQ(loaded.Lines[i].Params, original.Lines[i].Params);
    EXPECT_EQ(loaded.Lines[i].ParamCount, static_cast<int32_t>(original.Lines[i].Params.size()));
  }
}

TEST(CompLines, RowComesBeforeTheParameterCount) {
  TCompLines script;
  script.Append(3, {"a"});
  TBytes bytes = script.Serialize();
  EXPECT_EQ(bytes, (TBytes{1, 0, 3, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 'a'}));
}

TEST(CompLines, EmptyScriptAndTrailingBytes) {
  TCompLines script;
  const uint8_t empty[] = {0, 0, 0xAB};
  ASSERT_TRUE(script.LoadFromBuffer(empty, sizeof empty));
  EXPECT_TRUE(script.Lines.empty());
}

TEST(CompLines, TruncatedEntriesAreRefusedWhole) {
  TBytes bytes = Sample().Serialize();
  for (size_t cut : {size_t{1}, size_t{5}, size_t{20}, bytes.size() - 1}) {
    SCOPED_TRACE(cut);
    TCompLines script;
    script.Append(1, {"stale"});
    TStatus status = script.LoadFromBuffer(bytes.data(), static_cast<uint32_t>(cut));
    EXPECT_FALSE(status);
    EXPECT_NE(status.Message().find("damaged"), std::string::npos);
    EXPECT_TRUE(script.Lines.empty());
  }
}

TEST(CompLines, AHugeParameterCountIsNotAllocated) {
  TBytes bytes = {1, 0, 7, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F};
  TCompLines script;
  EXPECT_FALSE(script.LoadFromBuffer(bytes.data(), static_cast<uint32_t>(bytes.size())));
}

}  // namespace
}  // namespace tailpack
