#include "support/Fixtures.h"

#include <algorithm>
#include <stdexcept>

#include "platform/HostPaths.h"

namespace tailpack::test {

namespace {

// The build names the folder by its path on the build host.
std::string HostFixturePath(const std::string& name) { return std::string(TAILPACK_FIXTURES_DIR) + "/" + name; }

}  // namespace

std::string FixturePath(const std::string& name) {
  std::string host = HostFixturePath(name);
#ifdef _WIN32
  // A Windows build made on Linux runs under Wine, whose drive Z: is the
  // host's "/". A build made on Windows already has a drive path.
  std::string path = host;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
#else
  auto path = WindowsPathFromHost(host);
  if (!path) throw std::runtime_error("no drive covers the fixtures folder " + host);
  return *path;
#endif
}

}  // namespace tailpack::test
