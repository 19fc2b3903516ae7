#pragma once
// A UTF-16 text split into lines, the way language entries are read: a CR
// ends a line, an LF restarts the line after it (so CR LF ends a line and a
// lone LF drops what came before it on its line), and text after the last CR
// forms a line only when it is not empty.

#include <cstdint>
#include <string>
#include <vector>

namespace tailpack {

struct TUniItem {
  std::u16string Text;
  int32_t Value = 0;
};

class TUnicodeStringList {
 public:
  // Skips the first two bytes (the byte-order mark) and splits the rest;
  // raises EIOError "Cannot open file" for missing data.
  void LoadFromBuffer(const uint8_t* data, uint32_t size);
  void Add(const std::u16string& text) { items_.push_back(TUniItem{text, 0}); }
  size_t Count() const { return items_.size(); }
  // Raises EListIndexError outside the list.
  const std::u16string& Get(size_t index) const;
  void Clear() { items_.clear(); }

 private:
  std::vector<TUniItem> items_;
};

}  // namespace tailpack
