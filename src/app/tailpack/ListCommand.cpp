// tailpack list: the entry table of a setup archive.

#include <cstdio>
#include <memory>
#include <set>

#include "CLI/CLI.hpp"
#include "app/tailpack/Commands.h"
#include "app/tailpack/ToolSupport.h"
#include "archive/Pak.h"
#include "base/Numbers.h"
#include "base/Text.h"

namespace tailpack {

namespace {

struct TListOptions {
  std::string Archive;
};

// The display width of a terminal text, counted in UTF-16 units, which is
// close enough for the ANSI names an archive holds.
size_t DisplayWidth(const std::string& utf8) { return Utf8ToUtf16(utf8).size(); }

int RunList(const TListOptions& options) {
  TPak pak;
  if (int code = OpenArchive(options.Archive, pak); code != kToolExitSuccess) return code;
  const TPakHeader& header = pak.Header();
  std::printf("Archive %s: version %u, data from offset %u, table at offset %u\n", HostText(options.Archive).c_str(),
              header.Version, header.DataStart, header.TableOffset);

  size_t nameWidth = 4;
  std::vector<std::string> names;
  for (const TPakFile& entry : pak.Files()) {
    names.push_back(TerminalText(entry.Name));
    nameWidth = std::max(nameWidth, DisplayWidth(names.back()));
  }
  auto padded = [nameWidth](const std::string& text) {
    return text + std::string(nameWidth - DisplayWidth(text), ' ');
  };
  std::printf("%5s  %s  %5s  %10s  %10s  %8s\n", "Index", padded("Name").c_str(), "Group", "Size", "Stored",
              "CRC-32");
  uint64_t totalSize = 0;
  uint64_t totalStored = 0;
  std::set<uint16_t> groups;
  for (uint32_t i = 0; i < pak.FileCount(); ++i) {
    const TPakFile& entry = pak.Files()[i];
    // Raw entries occupy their Size; the record's StoredSize is then 0.
    std::string stored = entry.StoredSize != 0 ? std::to_string(entry.StoredSize) : entry.Size != 0 ? "raw" : "-";
    std::printf("%5u  %s  %5u  %10u  %10s  %08x\n", i, padded(names[i]).c_str(), entry.Group, entry.Size,
                stored.c_str(), entry.Checksum);
    totalSize += entry.Size;
    totalStored += entry.StoredLength();
    groups.insert(entry.Group);
  }
  std::printf("%u entries in %zu groups; total size %llu bytes (%s), stored in %llu bytes (%s)\n", pak.FileCount(),
              groups.size(), static_cast<unsigned long long>(totalSize), FormatSize(totalSize).c_str(),
              static_cast<unsigned long long>(totalStored), FormatSize(totalStored).c_str());
  return kToolExitSuccess;
}

}  // namespace

void AddListCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<TListOptions>();
  CLI::App* command = app.add_subcommand("list", "List the entries of a setup archive");
  command->add_option("ARCHIVE", options->Archive, "Setup executable or archive file")->required();
  command->callback([options, &exitCode] { exitCode = RunList(*options); });
}

}  // namespace tailpack
