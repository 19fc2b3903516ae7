// The POSIX registry file: a ".reg" text in UTF-16, UTF-8 or ANSI. Whatever
// it holds, reading it never fails badly; and when a value can be written
// into it, a fresh reader of the rewritten file finds that value and every
// key the file had before.

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "platform/HostPaths.h"
#include "platform/Registry.h"
#include "platform/posix/RegistryStore.h"

namespace tailpack::fuzz {

int ReadRegistryFile(const uint8_t* data, size_t size) {
  auto host = HostPathFromWindows(fuzz::WriteTempFile("registry.reg", data, size));
  fuzz::Check(host.has_value(), "the private folder has no host path");
  posix::TRegistryStore store(*host);
  bool hadSoftware = store.KeyExists(kRootLocalMachine, "Software");
  store.ReadString(kRootCurrentUser, "Software\\Fuzz", "");
  if (!store.CreateKey(kRootCurrentUser, "Software\\Fuzz\\Key")) return 0;
  if (!store.WriteString(kRootCurrentUser, "Software\\Fuzz\\Key", "Value", "line\r\nbreak \"quoted\" \\")) return 0;
  posix::TRegistryStore reread(*host);
  fuzz::Check(reread.ReadString(kRootCurrentUser, "Software\\Fuzz\\Key", "Value") ==
                  std::optional<std::string>("line\r\nbreak \"quoted\" \\"),
              "a written value did not come back");
  fuzz::Check(reread.KeyExists(kRootLocalMachine, "Software") == hadSoftware, "a key changed on rewriting");
  reread.DeleteValue(kRootCurrentUser, "Software\\Fuzz\\Key", "Value");
  reread.DeleteKey(kRootCurrentUser, "Software\\Fuzz\\Key");
  return 0;
}

}  // namespace tailpack::fuzz
