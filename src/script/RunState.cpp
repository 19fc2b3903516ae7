#include "script/RunState.h"

#include "base/ProgressChannel.h"
#include "setupinfo/RegistryAccessor.h"

namespace tailpack {

TRunState::TRunState() : UninstallList(&Variables), Registry(SharedRegistry()), Progress(tailpack::Progress()) {
  Variables.InstallDir = &SetupInfo.Info.InstallDir;
  // Extraction reports to the window through the run's channel.
  Pak.SetProgress(&Progress);
}

}  // namespace tailpack
