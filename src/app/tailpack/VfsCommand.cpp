// tailpack vfs: list, extract, check and create the VFS archives that
// "vfsupdate" lines update.

#include <cstdio>
#include <memory>

#include "CLI/CLI.hpp"
#include "app/tailpack/Commands.h"
#include "app/tailpack/GameDataToolSupport.h"
#include "app/tailpack/ToolSupport.h"
#include "archive/EntryName.h"
#include "base/Numbers.h"
#include "gamedata/DosDate.h"
#include "gamedata/EmptyArchives.h"
#include "gamedata/VfsFile.h"
#include "gamedata/VfsInspector.h"
#include "gamedata/VfsJournal.h"
#include "gamedata/VfsTree.h"
#include "platform/Platform.h"
#include "system/FileHelpers.h"

namespace tailpack {

namespace {

struct TVfsOptions {
  std::string Archive;
  std::string Output;
  std::string Ident = "VFS1";
  int32_t BlockSize = 4096;
  int32_t Blocks = 1024;
  uint32_t Roots = 256;
};

// Opens the archive with its whole tree for reading; kToolExitSuccess or the
// code to exit with.
int OpenForReading(const std::string& hostPath, TVFSFile& vfs) {
  auto path = CorePath(hostPath);
  if (!path) return kToolExitUnreadable;
  if (!Files().FileExists(*path)) {
    PrintError("cannot open \"" + hostPath + "\"");
    return kToolExitUnreadable;
  }
  bool journal = Files().FileExists(TVfsJournal::PathFor(*path));
  TStatus opened = vfs.Open(*path, true, {}, true);
  if (journal && !Files().FileExists(TVfsJournal::PathFor(*path)))
    PrintError("\"" + hostPath + "\" was rolled back from the journal of an update that did not finish");
  if (!opened) {
    PrintError(TerminalText(opened.Message()));
    return kToolExitUnreadable;
  }
  return kToolExitSuccess;
}

int RunList(const TVfsOptions& options) {
  TVFSFile vfs;
  if (int code = OpenForReading(options.Archive, vfs); code != kToolExitSuccess) return code;
  const TVFSHeader& header = vfs.Header();
  std::printf("Archive %s: ident \"%s\", %d blocks of %d bytes, %d in use, %u root slots, text size %d\n",
              options.Archive.c_str(), TerminalText(std::string(header.Ident.begin(), header.Ident.end())).c_str(),
              header.BlockCount, header.BlockSize, header.UsedBlocks, header.RootCount, header.TextSize);
  std::printf("%-6s  %5s  %-10s  %10s  %10s  %10s  %s\n", "Kind", "Flags", "Date", "Size", "Stored", "Block", "Path");
  uint64_t totalSize = 0, totalStored = 0;
  uint32_t files = 0, folders = 0;
  for (const TTreeFileInfo& node : vfs.Tree().Nodes()) {
    if (!node.Live()) continue;
    const TVFSEntry& entry = *node.Entry;
    std::string size =
        entry.IsFolder() ? "-" : std::to_string(entry.IsCompressed() ? entry.OriginalSize : entry.StoredSize);
    std::printf("%-6s  %5u  %-10s  %10s  %10u  %10d  %s\n", entry.IsFolder() ? "folder" : "file", entry.Flags,
                DosDateText(entry.Date).c_str(), size.c_str(), entry.StoredSize, entry.FirstBlock,
                TerminalText(node.Path).c_str());
    if (entry.IsFolder()) {
      ++folders;
    } else {
      ++files;
      totalSize += entry.IsCompressed() ? entry.OriginalSize : entry.StoredSize;
      totalStored += entry.StoredSize;
    }
  }
  std::printf("%u files in %u folders; total size %llu bytes (%s), stored in %llu bytes (%s)\n", files, folders,
              static_cast<unsigned long long>(totalSize), FormatSize(totalSize).c_str(),
              static_cast<unsigned long long>(totalStored), FormatSize(totalStored).c_str());
  return kToolExitSuccess;
}

int RunExtract(const TVfsOptions& options) {
  TVFSFile vfs;
  if (int code = OpenForReading(options.Archive, vfs); code != kToolExitSuccess) return code;
  std::string folder;
  if (!PrepareOutputFolder(options.Output, folder)) return kToolExitExtractFailed;
  uint32_t files = 0;
  const auto& nodes = vfs.Tree().Nodes();
  for (size_t i = 0; i < nodes.size(); ++i) {
    const TTreeFileInfo& node = nodes[i];
    if (!node.Live()) continue;
    if (node.Entry->IsFolder()) {
      if (TStatus safe = CheckEntryName(node.Path); !safe) {
        PrintError(TerminalText(safe.Message()));
        return kToolExitExtractFailed;
      }
      CreateFolderChain(EntryTargetPath(folder, node.Path), nullptr);
      continue;
    }
    TBytes content;
    if (TStatus read = ReadVfsContent(vfs, static_cast<int32_t>(i), content); !read) {
      PrintError("\"" + TerminalText(node.Path) + "\": " + TerminalText(read.Message()));
      return kToolExitExtractFailed;
    }
    if (!WriteExtracted(folder, node.Path, content)) return kToolExitExtractFailed;
    ++files;
  }
  std::printf("Extracted %u files into %s\n", files, options.Output.c_str());
  return kToolExitSuccess;
}

int RunCheck(const TVfsOptions& options) {
  TVFSFile vfs;
  if (int code = OpenForReading(options.Archive, vfs); code != kToolExitSuccess) return code;
  std::vector<std::string> faults = CheckVfsArchive(vfs);
  for (const std::string& fault : faults) PrintError(options.Archive + ": " + TerminalText(fault));
  if (!faults.empty()) return kToolExitCheckFailed;
  std::printf("OK: %u files; digest, block chains, block accounting, folders and hash file intact\n",
              vfs.Tree().FileCount());
  return kToolExitSuccess;
}

int RunCreate(const TVfsOptions& options) {
  if (options.Ident.size() != 4) {
    PrintError("the identifier must be exactly 4 characters");
    return kToolExitUsage;
  }
  auto path = CorePath(options.Archive);
  if (!path) return kToolExitWriteFailed;
  TVfsGeometry geometry;
  std::copy(options.Ident.begin(), options.Ident.end(), geometry.Ident.begin());
  geometry.BlockSize = options.BlockSize;
  geometry.BlockCount = options.Blocks;
  geometry.RootCount = options.Roots;
  if (TStatus created = CreateEmptyVfsArchive(*path, geometry); !created) {
    PrintError(TerminalText(created.Message()));
    return kToolExitWriteFailed;
  }
  std::printf("Created the empty VFS archive %s: %d blocks of %d bytes, %u root slots\n", options.Archive.c_str(),
              options.Blocks, options.BlockSize, options.Roots);
  return kToolExitSuccess;
}

CLI::App* AddAction(CLI::App& parent, const std::string& name, const std::string& description,
                    const std::shared_ptr<TVfsOptions>& options, int (*run)(const TVfsOptions&), int& exitCode) {
  CLI::App* command = parent.add_subcommand(name, description);
  command->add_option("ARCHIVE", options->Archive, "VFS archive")->required();
  command->callback([options, run, &exitCode] { exitCode = run(*options); });
  return command;
}

}  // namespace

void AddVfsCommand(CLI::App& app, int& exitCode) {
  CLI::App* vfs = app.add_subcommand("vfs", "List, extract, check or create a VFS archive (as vfsupdate updates)");
  vfs->require_subcommand(1);
  AddAction(*vfs, "list", "List every folder and file: flags, date, sizes, first block and path",
            std::make_shared<TVfsOptions>(), RunList, exitCode);
  auto extractOptions = std::make_shared<TVfsOptions>();
  AddAction(*vfs, "extract", "Write every file, unpacked, into DIR", extractOptions, RunExtract, exitCode)
      ->add_option("-o,--output", extractOptions->Output, "Folder to extract into (created when missing)")
      ->required();
  AddAction(*vfs, "check", "Check the digest, block chains and accounting, folders and the .ht file",
            std::make_shared<TVfsOptions>(), RunCheck, exitCode);
  auto createOptions = std::make_shared<TVfsOptions>();
  CLI::App* create =
      AddAction(*vfs, "create", "Create an empty VFS archive of a given geometry", createOptions, RunCreate, exitCode);
  create->add_option("--block-size", createOptions->BlockSize, "Bytes per block")
      ->capture_default_str()
      ->check(CLI::Range(1, 0x40000000));
  create->add_option("--blocks", createOptions->Blocks, "Number of blocks (fixed for good)")
      ->capture_default_str()
      ->check(CLI::Range(1, 0x7FFFFFFF));
  create->add_option("--roots", createOptions->Roots, "Root-table slots (at most 256)")
      ->capture_default_str()
      ->check(CLI::Range(1, 256));
  create->add_option("--ident", createOptions->Ident, "The 4-character identifier your software expects")
      ->capture_default_str();
}

}  // namespace tailpack
