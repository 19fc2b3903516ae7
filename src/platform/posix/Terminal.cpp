#include "platform/Terminal.h"

#include <unistd.h>

namespace tailpack {

bool IsTerminal(TStandardStream stream) {
  return isatty(stream == TStandardStream::Output ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

}  // namespace tailpack
