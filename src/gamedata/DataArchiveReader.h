#pragma once
// A data archive read outside an update, for listing, extracting and
// checking it: its directory, each entry's content and every fault found.

#include <memory>
#include <string>
#include <vector>

#include "base/Bytes.h"
#include "base/Status.h"
#include "gamedata/DataArchiveFormat.h"

namespace tailpack {

class IFile;

class TDataArchiveReader {
 public:
  TDataArchiveReader();
  ~TDataArchiveReader();

  // Opens the archive for reading and reads its directory. A journal beside
  // it (an update that did not finish) is applied first, which writes the
  // archive. Fails with the reason when the archive cannot be read.
  TStatus Open(const std::string& path);
  bool RestoredFromJournal() const { return restored_; }
  const TZrpDirectory& Directory() const { return directory_; }

  // A data entry's content (unmasked, inflated, of its original size) or a
  // sound entry's stored bytes.
  TStatus ReadContent(const TPakSystemEntry& entry, TBytes& content);
  // One text per fault in the records and the entries they point to.
  std::vector<std::string> Check();

 private:
  TStatus ReadStored(const TPakSystemEntry& entry, TBytes& stored);

  std::unique_ptr<IFile> file_;
  TZrpDirectory directory_;
  bool restored_ = false;
};

}  // namespace tailpack
