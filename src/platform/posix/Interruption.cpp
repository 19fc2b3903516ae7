#include "platform/Interruption.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

namespace tailpack {

namespace {

// Lock-free, so the handler may touch it.
std::atomic<bool> requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

constexpr int kStatusOfAnInterruption = 128 + SIGINT;

extern "C" void OnInterruption(int) {
  // A second request: the person wants out now. Only async-signal-safe
  // calls here.
  if (requested.exchange(true)) _exit(kStatusOfAnInterruption);
}

}  // namespace

void CatchInterruptions() {
  struct sigaction action = {};
  action.sa_handler = OnInterruption;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal the program was started ignoring stays ignored (a shell's
    // background job, nohup).
    struct sigaction before = {};
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

bool InterruptionRequested() { return requested.load(); }

}  // namespace tailpack
