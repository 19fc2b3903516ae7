#include "i18n/UnicodeStringList.h"

#include "base/Errors.h"

namespace tailpack {

void TUnicodeStringList::LoadFromBuffer(const uint8_t* data, uint32_t size) {
  Clear();
  if (data == nullptr) throw EIOError("Cannot open file");
  uint32_t count = size >= 2 ? (size - 2) / 2 : 0;
  std::u16string text(count, u'\0');
  for (uint32_t i = 0; i < count; ++i)
    text[i] = static_cast<char16_t>(data[2 + 2 * i] | (data[3 + 2 * i] << 8));
  size_t lineStart = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      Add(text.substr(lineStart, i - lineStart));
      lineStart = i + 1;
    } else if (text[i] == u'\n') {
      lineStart = i + 1;
    }
  }
  if (lineStart < text.size()) Add(text.substr(lineStart));
}

const std::u16string& TUnicodeStringList::Get(size_t index) const {
  if (index >= items_.size()) throw EListIndexError("List index out of bounds (" + std::to_string(index) + ")");
  return items_[index].Text;
}

}  // namespace tailpack
