// The entry "CompiledLines": whatever the bytes, loading reads only inside
// them and allocates no more than they can describe, and a script that
// loaded serializes and loads back to itself.

#include <cstdint>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "script/CompLines.h"

namespace tailpack::fuzz {

int ReadCompiledLines(const uint8_t* data, size_t size) {
  TCompLines loaded;
  if (!loaded.LoadFromBuffer(data, static_cast<uint32_t>(size))) return 0;
  TBytes bytes = loaded.Serialize();
  TCompLines again;
  fuzz::Check(again.LoadFromBuffer(bytes.data(), static_cast<uint32_t>(bytes.size())).Ok(),
              "a serialized script does not load");
  fuzz::Check(again.Lines.size() == loaded.Lines.size(), "a script lost lines on its way through its entry");
  for (size_t i = 0; i < loaded.Lines.size(); ++i) {
    const TCompLine& a = loaded.Lines[i];
    const TCompLine& b = again.Lines[i];
    fuzz::Check(a.CommandIndex == b.CommandIndex && a.Row == b.Row && a.Params == b.Params &&
                    a.ParamCount == static_cast<int32_t>(a.Params.size()),
                "a line changed on its way through its entry");
  }
  return 0;
}

}  // namespace tailpack::fuzz
