#include "platform/ProcessSecurity.h"

namespace tailpack {

// The dynamic loader does not search the program's folder or the current
// folder for libraries unless told to, so there is nothing to restrict.
bool HardenProcess() { return true; }

}  // namespace tailpack
