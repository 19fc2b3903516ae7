#pragma once
// What "tailpack zrp" and "tailpack vfs" share: host paths turned into the
// core's paths, and entries written below an output folder.

#include <optional>
#include <string>

#include "base/Bytes.h"

namespace tailpack {

// The Windows path of a host path, or nothing after saying why on standard
// error.
std::optional<std::string> CorePath(const std::string& hostPath);

// Creates the output folder; false after saying why.
bool PrepareOutputFolder(const std::string& hostPath, std::string& folder);

// Writes Content to Folder\Name, creating its folders, after checking that
// the name stays inside the folder. False after saying why.
bool WriteExtracted(const std::string& folder, const std::string& name, const TBytes& content);

}  // namespace tailpack
