#include "script/CommandClass.h"

namespace tailpack {

void TCommandClass::SFXProcess(TRunState&, int32_t) {}

}  // namespace tailpack
