// tailpack_inflate: the inflate half of the native installation's floor.
// Inflates every compressed entry of a setup's data groups into memory and
// writes nothing, so that "cp -r of the files + this" is what any installer
// of the same setup must at least spend.
//
//   tailpack_inflate SETUP [--verified-entries]
//
// --verified-entries takes what start-up verification reads instead (every
// entry below the large-entry limit, with its CRC-32).

#include <cstdio>
#include <exception>
#include <string>

#include "archive/Pak.h"
#include "platform/HostPaths.h"
#include "support/StreamFloor.h"

int main(int argc, char** argv) {
  using namespace tailpack;
  std::string hostPath;
  bool verified = false;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument == "--verified-entries") {
      verified = true;
    } else if (argument == "--help" || argument == "-h" || !hostPath.empty() || argument.rfind("--", 0) == 0) {
      std::fputs("Usage: tailpack_inflate SETUP [--verified-entries]\n", argument == "--help" ? stdout : stderr);
      return argument == "--help" || argument == "-h" ? 0 : 2;
    } else {
      hostPath = argument;
    }
  }
  if (hostPath.empty()) {
    std::fputs("Usage: tailpack_inflate SETUP [--verified-entries]\n", stderr);
    return 2;
  }
  auto windowsPath = WindowsPathFromHost(hostPath);
  TPak pak;
  if (!windowsPath || !pak.Create(*windowsPath) || !pak.IsValid()) {
    std::fprintf(stderr, "tailpack_inflate: %s holds no readable setup archive\n", hostPath.c_str());
    return 3;
  }
  try {
    auto selection = verified ? TFloorSelection::VerifiedEntries : TFloorSelection::GroupedStreams;
    TFloorResult result = RunStreamFloor(hostPath, FloorEntries(pak, selection), verified);
    std::printf("%llu entries, %llu stored bytes, %llu bytes\n", static_cast<unsigned long long>(result.Entries),
                static_cast<unsigned long long>(result.StoredBytes), static_cast<unsigned long long>(result.Bytes));
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "tailpack_inflate: %s\n", failure.what());
    return 1;
  }
  return 0;
}
