#include "FuzzTargets.h"

namespace tailpack::fuzz {

std::vector<TFuzzTarget> FuzzTargets() {
  std::vector<TFuzzTarget> targets = {
      {"SetupArchive", ReadSetupArchive}, {"SetupInfo", ReadSetupInfo},   {"CompiledLines", ReadCompiledLines},
      {"Language", ReadLanguage},         {"PageLayout", ReadPageLayout}, {"PagesTxt", ReadPagesTxt},
      {"InstallLog", ReadInstallLog},     {"SourceScript", ReadSourceScript}, {"DataArchive", ReadDataArchive},
      {"VfsArchive", ReadVfsArchive},     {"VfsHashFile", ReadVfsHashFile}, {"WaveFile", ReadWaveFile}};
  AddPlatformTargets(targets);
  return targets;
}

}  // namespace tailpack::fuzz
