#include "script/CompLines.h"

#include "base/BufferManager.h"
#include "base/PakString.h"

namespace tailpack {

TStatus TCompLines::LoadFromBuffer(const uint8_t* data, uint32_t size) {
  Lines.clear();
  TBufferManager reader(data, size);
  uint16_t count = reader.ReadU16();
  std::vector<TCompLine> lines(count);
  for (uint16_t i = 0; i < count && !reader.Overrun(); ++i) {
    TCompLine& line = lines[i];
    line.CommandIndex = static_cast<int32_t>(reader.ReadU32());
    line.Row = static_cast<int32_t>(reader.ReadU32());
    uint32_t paramCount = reader.ReadU32();
    // Every parameter takes at least its two length bytes: a count beyond what
    // is left can only come from a damaged entry, and must not be allocated.
    if (reader.Overrun() || paramCount > reader.Remaining() / 2)
      return TStatus::Failure("The compiled script is damaged: line " + std::to_string(i) + " of " +
                              std::to_string(count) + " is cut short");
    line.Params.reserve(paramCount);
    for (uint32_t p = 0; p < paramCount && !reader.Overrun(); ++p) line.Params.push_back(reader.ReadString());
    line.ParamCount = static_cast<int32_t>(line.Params.size());
  }
  if (reader.Overrun())
    return TStatus::Failure("The compiled script is damaged: it ends before its last line (" +
                            std::to_string(count) + " lines)");
  Lines = std::move(lines);
  return TStatus::Success();
}

TBytes TCompLines::Serialize() const {
  TBytes bytes;
  AppendU16(bytes, static_cast<uint16_t>(Lines.size()));
  for (const TCompLine& line : Lines) {
    AppendU32(bytes, static_cast<uint32_t>(line.CommandIndex));
    AppendU32(bytes, static_cast<uint32_t>(line.Row));
    AppendU32(bytes, static_cast<uint32_t>(line.Params.size()));
    for (const std::string& param : line.Params) AppendPakString(bytes, param);
  }
  return bytes;
}

TCompLine& TCompLines::Append(int32_t commandIndex, std::vector<std::string> params) {
  TCompLine line;
  line.CommandIndex = commandIndex;
  line.ParamCount = static_cast<int32_t>(params.size());
  line.Params = std::move(params);
  line.Row = static_cast<int32_t>(Lines.size());
  Lines.push_back(std::move(line));
  return Lines.back();
}

}  // namespace tailpack
