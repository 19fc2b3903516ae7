#include "platform/win32/WidePaths.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace tailpack::win32 {

namespace {

bool StartsWith(const std::wstring& text, std::wstring_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::optional<std::wstring> FullPathName(const std::wstring& path) {
  DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return std::nullopt;
  std::wstring full(needed, L'\0');
  DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return std::nullopt;
  full.resize(length);
  return full;
}

std::wstring LongPathForm(const std::wstring& path) {
  if (path.size() <= kShortPathLimit) return path;
  if (StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\")) return path;
  std::wstring full = FullPathName(path).value_or(std::wstring());
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
  if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return path;
}

std::wstring ToWidePath(std::string_view path) { return LongPathForm(ToWide(path)); }

}  // namespace tailpack::win32
