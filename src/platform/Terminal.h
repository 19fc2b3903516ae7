#pragma once
// The host's terminal, for command-line front ends: whether a standard stream
// is shown to a person (progress lines make sense) or goes to a file or pipe
// (only results should).

namespace tailpack {

enum class TStandardStream { Output, Error };

bool IsTerminal(TStandardStream stream);

}  // namespace tailpack
