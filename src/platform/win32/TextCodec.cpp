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

namespace {

// The byte of the character Folded in the code page, or Fallback when it has
// no single-byte form there.
uint8_t SingleByteOf(UINT codePage, wchar_t folded, uint8_t fallback) {
  // UTF-8 and UTF-7 take neither the best-fit flag nor the default-character report.
  const bool utf = codePage == CP_UTF8 || codePage == CP_UTF7;
  char byte = 0;
  BOOL usedDefault = FALSE;
  int written = WideCharToMultiByte(codePage, utf ? 0 : WC_NO_BEST_FIT_CHARS, &folded, 1, &byte, 1, nullptr,
                                    utf ? nullptr : &usedDefault);
  return written == 1 && !usedDefault ? static_cast<uint8_t>(byte) : fallback;
}

}  // namespace

TAnsiCaseRules CaseRulesOfCodePage(unsigned codePage) {
  TAnsiCaseRules rules;
  for (int b = 0; b < 256; ++b) {
    rules.Lower[b] = rules.Upper[b] = static_cast<uint8_t>(b);
    rules.LeadByte[b] = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(b)) != 0;
  }
  for (int b = 1; b < 256; ++b) {
    if (rules.LeadByte[b]) continue;
    char byte = static_cast<char>(b);
    wchar_t wide = 0;
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &byte, 1, &wide, 1) != 1) continue;
    wchar_t lower = wide, upper = wide;
    CharLowerBuffW(&lower, 1);
    CharUpperBuffW(&upper, 1);
    if (lower != wide) rules.Lower[b] = SingleByteOf(codePage, lower, static_cast<uint8_t>(b));
    if (upper != wide) rules.Upper[b] = SingleByteOf(codePage, upper, static_cast<uint8_t>(b));
  }
  return rules;
}

}  // namespace tailpack::win32

namespace tailpack {

const TAnsiCaseRules& AnsiCaseRules() {
  static const TAnsiCaseRules rules = win32::CaseRulesOfCodePage(GetACP());
  return rules;
}

std::u16string AnsiToWide(std::string_view text) {
  std::wstring wide = win32::ToWide(text);
  return std::u16string(wide.begin(), wide.end());
}

std::string WideToAnsi(std::u16string_view text) {
  return win32::FromWide(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()));
}

}  // namespace tailpack
