// The setup script as "tailpack build" reads it: lines, quotes, labels and
// comments; and, for scripts that name no file at all, the whole plan with
// its compile steps, label resolution, limits and jump checks (a script that
// names files could make the builder walk this machine's disks).

#include <cstdint>
#include <set>
#include <string>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "builder/SetupPlan.h"
#include "builder/SourceScript.h"

namespace tailpack::fuzz {

namespace {

bool NamesFiles(const TSourceScript& script) {
  static const std::set<std::string> kFileKeywords = {
      "file", "zrpupdate", "vfsupdate", "language", "uninstalllanguage", "pages", "uninstallpages", "changelog"};
  for (const TSourceLine& line : script.Lines)
    if (!line.IsLabel && kFileKeywords.count(line.Keyword)) return true;
  return false;
}

}  // namespace

int ReadSourceScript(const uint8_t* data, size_t size) {
  TSourceScript script = ParseSourceScript(TBytes(data, data + size));
  for (const TSourceLine& line : script.Lines) fuzz::Check(line.LineNumber > 0, "a line without its number");
  if (NamesFiles(script)) return 0;
  TSetupPlan plan = PlanSetup(fuzz::WriteTempFile("setup.tps", data, size));
  if (plan.Ok()) fuzz::Check(plan.Entries.size() == 2, "a script that names no file planned more than its records");
  return 0;
}

}  // namespace tailpack::fuzz
