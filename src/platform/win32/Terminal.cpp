#include "platform/Terminal.h"

#include <windows.h>

namespace tailpack {

// A console handle answers GetConsoleMode; files and pipes do not. (Terminals
// that talk through pipes, such as mintty, count as not a terminal.)
bool IsTerminal(TStandardStream stream) {
  HANDLE handle = GetStdHandle(stream == TStandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

}  // namespace tailpack
