#pragma once
// The compiled script: a flat list of lines, each naming a command by its
// number and carrying its parameters as strings. Travels as the archive entry
// "CompiledLines".

#include <cstdint>
#include <string>
#include <vector>

#include "base/Bytes.h"
#include "base/Status.h"

namespace tailpack {

struct TCompLine {
  int32_t CommandIndex = 0;  // 1-based command number; 0 marks a label line
  std::vector<std::string> Params;
  int32_t ParamCount = 0;    // always Params.size()
  int32_t Row = 0;           // the line's own 0-based position
};

class TCompLines {
 public:
  std::vector<TCompLine> Lines;

  // Replaces the lines with those of an entry. An entry that ends before its
  // last line is complete is refused as a whole (nothing of a damaged script
  // may run); the lines are then empty and the result says why.
  TStatus LoadFromBuffer(const uint8_t* data, uint32_t size);
  // The entry's bytes: a 16-bit line count, then per line the command index,
  // the row and the parameter count (32-bit each) and the parameters as pak
  // strings.
  TBytes Serialize() const;

  // Appends a line with the next row number.
  TCompLine& Append(int32_t commandIndex, std::vector<std::string> params);
};

}  // namespace tailpack
