#include "script/CommandList.h"

#include "platform/TextCase.h"
#include "script/commands/ArchiveUpdateCommands.h"
#include "script/commands/FileCommands.h"
#include "script/commands/FlowCommands.h"
#include "script/commands/InfoCommands.h"
#include "script/commands/SystemCommands.h"

namespace tailpack {

int32_t TCommandList::Add(std::unique_ptr<TCommandClass> command) {
  Commands.push_back(std::move(command));
  return static_cast<int32_t>(Commands.size()) - 1;
}

TCommandClass* TCommandList::Find(int32_t commandIndex) const {
  if (commandIndex <= 0 || static_cast<size_t>(commandIndex) > Commands.size()) return nullptr;
  return Commands[static_cast<size_t>(commandIndex) - 1].get();
}

int32_t TCommandList::IndexOfKeyword(const std::string& keyword) const {
  std::string lower = LowerAnsi(keyword);
  for (size_t i = 0; i < Commands.size(); ++i)
    if (Commands[i]->Keyword == lower) return static_cast<int32_t>(i) + 1;
  return 0;
}

void RegisterCommands(TCommandList& list) {
  list.Add(std::make_unique<TGotoCommand>());                // 1
  list.Add(std::make_unique<TNameCommand>());                // 2
  list.Add(std::make_unique<TOutFileCommand>());             // 3
  list.Add(std::make_unique<TInstallDirCommand>());          // 4
  list.Add(std::make_unique<TInstallDirRegKeyCommand>());    // 5
  list.Add(std::make_unique<TIfFileExistsCommand>());        // 6
  list.Add(std::make_unique<TFileCommand>());                // 7
  list.Add(std::make_unique<TDeleteCommand>());              // 8
  list.Add(std::make_unique<TWriteRegStrCommand>());         // 9
  list.Add(std::make_unique<TChangelogCommand>());           // 10
  list.Add(std::make_unique<TZRPUpdateCommand>());           // 11
  list.Add(std::make_unique<TRMDirCommand>());               // 12
  list.Add(std::make_unique<TCreateDirectoryCommand>());     // 13
  list.Add(std::make_unique<TCreateShortCutCommand>());      // 14
  list.Add(std::make_unique<TMessageCommand>());             // 15
  list.Add(std::make_unique<TMessageBoxCommand>());          // 16
  list.Add(std::make_unique<TCopyFileCommand>());            // 17
  list.Add(std::make_unique<TLanguageCommand>());            // 18
  list.Add(std::make_unique<TFailureCommand>());             // 19
  list.Add(std::make_unique<TPagesCommand>());               // 20
  list.Add(std::make_unique<TShortNameCommand>());           // 21
  list.Add(std::make_unique<TUninstallPagesCommand>());      // 22
  list.Add(std::make_unique<TUninstallLanguageCommand>());   // 23
  list.Add(std::make_unique<TUninstallPrefixCommand>());     // 24
  list.Add(std::make_unique<TUninstallLogLoadCommand>());    // 25
  list.Add(std::make_unique<TUninstallLogSaveCommand>());    // 26
  list.Add(std::make_unique<TZRPOfficialCommand>());         // 27
  list.Add(std::make_unique<TDuplicateEntryCommand>());      // 28
  list.Add(std::make_unique<TWriteRegStr_URLCommand>());     // 29
  list.Add(std::make_unique<TVFSUpdateCommand>());           // 30
  list.Add(std::make_unique<TRenameCommand>());              // 31
  list.Add(std::make_unique<TExecuteCommand>());             // 32
}

}  // namespace tailpack
