#pragma once
// What the debug window lists: the setup archive's header and entries and the
// setup information record, one text line each.

#include <string>
#include <vector>

namespace tailpack {

class TPak;
struct TSetupInfo;

// The lines in the window's order: the header, every entry with its group,
// then the setup information with its five install-folder registry lookups.
std::vector<std::string> DebugDumpLines(const TPak& pak, const TSetupInfo& info);

}  // namespace tailpack
