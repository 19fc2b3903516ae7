#include "platform/TextCodec.h"

#include <windows.h>

#include <climits>

#include "base/Errors.h"
#include "platform/win32/WideText.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the wide Win32 API is UTF-16");

namespace tailpack::win32 {

namespace {

int CheckedLength(size_t length) {
  if (length > static_cast<size_t>(INT_MAX)) throw EConversionError("Text too long for the system's code page conversion");
  return static_cast<int>(length);
}

}  // namespace

std::wstring ToWide(std::string_view ansi) {
  if (ansi.empty()) return {};
  int length = CheckedLength(ansi.size());
  int needed = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  int written = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), needed);
  wide.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return wide;
}

std::string FromWide(std::wstring_view wide) {
  if (wide.empty()) return {};
  int length = CheckedLength(wide.size());
  // No best-fit mapping: it would turn look-alikes such as a full-width
  // backslash or quote into the real character, which changes what a path or
  // a command line means. Without a form they become "?" instead. A UTF-8
  // system code page takes neither the flag nor a default character.
  const bool utf8 = GetACP() == CP_UTF8;
  DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* fallback = utf8 ? nullptr : "?";
  int needed = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, fallback, nullptr);
  if (needed <= 0) return {};
  std::string ansi(static_cast<size_t>(needed), '\0');
  int written = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, ansi.data(), needed, fallback, nullptr);
  ansi.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return ansi;
}

}  // namespace tailpack::win32

namespace tailpack {

std::u16string AnsiToWide(std::string_view text) {
  std::wstring wide = win32::ToWide(text);
  return std::u16string(wide.begin(), wide.end());
}

std::string WideToAnsi(std::u16string_view text) {
  return win32::FromWide(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()));
}

}  // namespace tailpack
