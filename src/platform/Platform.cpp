#include "platform/Platform.h"

namespace tailpack {

TPlatform& Platform() {
  static TPlatform platform{&NativeFileSystem(), &NativeRegistry(), &NativeShell(), &NativeSystemInfo()};
  return platform;
}

}  // namespace tailpack
