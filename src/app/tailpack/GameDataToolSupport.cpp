#include "app/tailpack/GameDataToolSupport.h"

#include "app/tailpack/ToolSupport.h"
#include "archive/EntryName.h"
#include "platform/HostPaths.h"
#include "platform/Platform.h"
#include "system/FileHelpers.h"

namespace tailpack {

std::optional<std::string> CorePath(const std::string& hostPath) {
  auto path = WindowsPathFromHost(hostPath);
  if (!path) PrintError("\"" + hostPath + "\" lies on no mapped drive");
  return path;
}

bool PrepareOutputFolder(const std::string& hostPath, std::string& folder) {
  auto path = CorePath(hostPath);
  if (!path) return false;
  CreateFolderChain(*path, nullptr);
  if (!Files().FolderExists(*path)) {
    PrintError("cannot create the folder \"" + hostPath + "\"");
    return false;
  }
  folder = *path;
  return true;
}

bool WriteExtracted(const std::string& folder, const std::string& name, const TBytes& content) {
  if (TStatus safe = CheckEntryName(name); !safe) {
    PrintError(TerminalText(safe.Message()));
    return false;
  }
  std::string target = EntryTargetPath(folder, name);
  if (TStatus written = WriteBufferToFile(target, content.data(), static_cast<uint32_t>(content.size())); !written) {
    PrintError(TerminalText(written.Message()));
    return false;
  }
  return true;
}

}  // namespace tailpack
