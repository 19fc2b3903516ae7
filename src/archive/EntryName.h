#pragma once
// Archive entry names become paths below an extraction folder. A setup runs
// elevated, so a name must never reach outside that folder, into a device or
// into an alternate data stream; every place that turns an entry name into a
// path asks this one check first.

#include <string>
#include <string_view>

#include "base/Status.h"

namespace tailpack {

// Succeeds when Name is a relative path of plain components separated by
// single "\": no root, no drive, no "..", no "/", no empty component, no
// component ending in "." or " ", no ":" and no reserved device name (CON,
// PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with any extension, in any case), no
// control characters and none of < > " | ? *. The failure message names the
// entry and the reason.
TStatus CheckEntryName(std::string_view name);

// Folder + "\" + Name for a name that passed CheckEntryName.
std::string EntryTargetPath(std::string_view folder, std::string_view name);

}  // namespace tailpack
