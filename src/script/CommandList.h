#pragma once
// The registered commands. A script line names its command by its 1-based
// position in this list.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "script/CommandClass.h"

namespace tailpack {

class TCommandList {
 public:
  std::vector<std::unique_ptr<TCommandClass>> Commands;

  // Appends a command and returns its 0-based index.
  int32_t Add(std::unique_ptr<TCommandClass> command);
  // The command of a line's CommandIndex; nothing for 0, negative or too large.
  TCommandClass* Find(int32_t commandIndex) const;
  // The CommandIndex of a keyword (any case); 0 when there is none.
  int32_t IndexOfKeyword(const std::string& keyword) const;
};

// One instance of every command class, in the fixed order that command
// numbers refer to. Changing the order breaks every compiled script.
void RegisterCommands(TCommandList& list);

}  // namespace tailpack
