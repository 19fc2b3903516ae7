#pragma once
// The numbers of the language strings the program itself shows. Every
// language must provide them; texts written in layouts reach any number with
// "<LANGn>" tags instead.

#include <cstdint>

namespace tailpack {

enum class TStringId : uint16_t {
  SpaceText = 7,              // the space label; holds "<%SPACEREQ%>" and "<%SPACEAVA%>"
  BackCaption = 12,
  NextCaption = 13,
  CancelCaption = 14,
  StartCaption = 15,          // Next on the page that starts the installation
  FinishCaption = 16,         // Cancel on the finish page
  CopyingFile = 17,           // with "<%FILENAME%>"
  Extracting = 18,            // with "<%FILENAME%>"
  ItemProgress = 19,          // with "<%ZRPNAME%>", "<%FNUM%>" and "<%FTOTAL%>"
  SavingArchive = 20,         // with "<%ZRPNAME%>"
  FailureText = 23,           // the finish text when a command aborts the script
  RegistryPhase = 24,         // an uninstallation's phase names, for "<%ZRPNAME%>"
  FolderPhase = 25,
  UninstallTitleSuffix = 26,
  CloseQuestion = 27,
  CloseQuestionCaption = 28,
  OpeningArchive = 29,        // with "<%ZRPNAME%>"
};

}  // namespace tailpack
