#pragma once
// The one failure the archive code raises on purpose: an archive that cannot
// be read or updated as asked (damaged, full, not writable). The update
// layer catches it, restores the archive and tells the user its message.

#include "base/Errors.h"

namespace tailpack {

class EArchiveError : public ETailpackError {
 public:
  using ETailpackError::ETailpackError;
};

}  // namespace tailpack
