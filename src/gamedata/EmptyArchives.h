#pragma once
// Empty archives made from the documented layouts, for testing updates: the
// setup itself only ever updates archives the installed software brought.

#include <array>
#include <cstdint>
#include <string>

#include "base/Status.h"

namespace tailpack {

// A data archive without entries, password or official flag. Fails when the
// file exists or cannot be written completely.
TStatus CreateEmptyDataArchive(const std::string& path);

}  // namespace tailpack
