#include "setupinfo/SetupInfo.h"

#include <utility>

#include "base/BufferManager.h"
#include "base/PakString.h"
#include "platform/Platform.h"
#include "system/FileHelpers.h"

namespace tailpack {

TBytes SerializeSetupInfo(const TSetupInfo& info) {
  TBytes out;
  for (const std::string* text : {&info.SetupName, &info.ShortName, &info.SetupExeName, &info.UninstallExeName,
                                  &info.UninstallPrefix, &info.InstallDir, &info.Changelog})
    AppendPakString(out, *text);
  for (const TREGKEY& slot : info.InstallDirRegKeys) {
    AppendU8(out, slot.Root);
    AppendPakString(out, slot.Path);
    AppendPakString(out, slot.Key);
  }
  AppendPakString(out, info.Pages);
  AppendPakString(out, info.UninstallPages);
  AppendU8(out, info.IsUninstaller);
  AppendU8(out, info.HasUninstaller);
  return out;
}

void TSetupInfoFile::LoadFromBuffer(const uint8_t* data, uint32_t size) {
  TBufferManager reader(data, size);
  TSetupInfo loaded;
  for (std::string* text : {&loaded.SetupName, &loaded.ShortName, &loaded.SetupExeName, &loaded.UninstallExeName,
                            &loaded.UninstallPrefix, &loaded.InstallDir, &loaded.Changelog})
    *text = reader.ReadString();
  for (TREGKEY& slot : loaded.InstallDirRegKeys) {
    slot.Root = reader.ReadU8();
    slot.Path = reader.ReadString();
    slot.Key = reader.ReadString();
  }
  loaded.Pages = reader.ReadString();
  loaded.UninstallPages = reader.ReadString();
  loaded.IsUninstaller = reader.ReadU8();
  loaded.HasUninstaller = reader.ReadU8();
  Info = std::move(loaded);
}

TBytes TSetupInfoFile::Serialize() const { return SerializeSetupInfo(Info); }

TStatus TSetupInfoFile::SaveToFile(const std::string& path) const {
  TBytes bytes = Serialize();
  return WriteWholeFile(path, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

}  // namespace tailpack
