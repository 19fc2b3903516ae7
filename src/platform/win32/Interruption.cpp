#include "platform/Interruption.h"

#include <windows.h>

#include <atomic>

namespace tailpack {

namespace {

std::atomic<bool> requested{false};

// Runs on a thread the system starts for the event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  const bool again = requested.exchange(true);
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      // Handled: the program cleans up and ends itself. A second press
      // goes on to the default handler, which ends the process.
      return again ? FALSE : TRUE;
    default:
      // The console closes or the session ends: the system ends the
      // process once this returns (or a few seconds later), so it waits
      // here while the program cleans up and ends itself.
      Sleep(INFINITE);
      return TRUE;
  }
}

}  // namespace

void CatchInterruptions() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

bool InterruptionRequested() { return requested.load(); }

}  // namespace tailpack
