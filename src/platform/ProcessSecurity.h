#pragma once
// Hardening of the process itself. A setup usually runs elevated and is often
// started from a downloads folder full of other people's files.

namespace tailpack {

// Restricts where the process loads libraries from to the system folder, so
// a library planted beside the setup or in the current folder is never
// loaded. Call it first, before anything loads a library; calling it again
// does no harm. False when the platform could not restrict the search; POSIX
// programs have no such search to restrict and always succeed.
bool HardenProcess();

}  // namespace tailpack
