#include "base/Errors.h"

namespace tailpack {

EAssertionFailed::EAssertionFailed(const std::string& message, const std::string& unit, int line)
    : ETailpackError(message + " (" + unit + ", line " + std::to_string(line) + ")") {}

}  // namespace tailpack
