#include "support/Links.h"

#include <unistd.h>

#include "platform/HostPaths.h"

namespace tailpack::test {

bool MakeLink(const std::string& link, const std::string& target, bool) {
  auto linkHost = HostPathFromWindows(link);
  auto targetHost = HostPathFromWindows(target);
  return linkHost && targetHost && symlink(targetHost->c_str(), linkHost->c_str()) == 0;
}

}  // namespace tailpack::test
