#pragma once
// A request to stop from outside the program (Ctrl-C at the terminal, or the
// system asking it to end), for a command-line tool that has something to
// clean up first: a half-written output file, for one. Without this the
// request ends the program on the spot.

namespace tailpack {

// From now on the first request only raises the flag below, and the program
// goes on until it looks; a second request ends it at once, as without this.
void CatchInterruptions();

// A request came since CatchInterruptions. Safe on any thread.
bool InterruptionRequested();

}  // namespace tailpack
