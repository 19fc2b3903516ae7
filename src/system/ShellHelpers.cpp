#include "system/ShellHelpers.h"

#include "platform/Platform.h"
#include "system/FileHelpers.h"

namespace tailpack {

bool CreateShortcut(const std::string& linkFile, const std::string& target, const std::string& arguments,
                    int iconIndex, const std::string& iconFile, int showCommand,
                    const std::string& workingFolder, IInstallRecorder* recorder) {
  CreateFolderChain(ExtractFileDir(linkFile), recorder);
  TShellLink link;
  link.LinkFile = linkFile;
  link.Target = target;
  link.Arguments = arguments;
  link.WorkingFolder = workingFolder;
  link.ShowCommand = showCommand;
  if (iconFile != target) {
    link.IconFile = iconFile;
    link.IconIndex = iconIndex;
  }
  return Shell().CreateLink(link);
}

bool CreateShortcut(const std::string& linkFile, const std::string& target, const std::string& arguments,
                    IInstallRecorder* recorder) {
  return CreateShortcut(linkFile, target, arguments, target, recorder);
}

bool CreateShortcut(const std::string& linkFile, const std::string& target, const std::string& arguments,
                    const std::string& iconFile, IInstallRecorder* recorder) {
  return CreateShortcut(linkFile, target, arguments, 0, iconFile, 1, ExtractFileDir(target), recorder);
}

bool ReplaceIcon(const std::string& iconFile, const std::string& exeFile) {
  auto file = Files().Open(iconFile, TFileMode::OpenRead, TFileShare::Read);
  if (!file) return false;
  // Icon directory header (6 bytes) and its first entry (16 bytes).
  uint8_t header[6 + 16];
  if (file->Read(header, sizeof header) != sizeof header || GetU16(header + 4) == 0) return false;
  uint32_t imageSize = GetU32(header + 6 + 8);
  uint32_t imageOffset = GetU32(header + 6 + 12);
  auto fileSize = file->Size();
  if (!fileSize || imageSize == 0 || uint64_t{imageOffset} + imageSize > *fileSize) return false;
  TBytes image(imageSize);
  if (!file->Seek(imageOffset) || file->Read(image.data(), imageSize) != imageSize) return false;
  file.reset();
  return Shell().ReplaceIconImage(exeFile, image);
}

}  // namespace tailpack
