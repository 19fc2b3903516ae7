#pragma once
// What "vfsupdate" runs: the entries of a setup-archive group put into a VFS
// archive in the installation folder, with status lines and progress steps.
// One archive stays open between lines when a line asks for it; the next
// line (or the end of the run) saves and closes it. A failure rolls the
// archive back to its last saved state and closes it.

#include <cstdint>
#include <memory>
#include <string>

#include "base/Status.h"

namespace tailpack {

class IUpdateHost;
class TPak;
class TVFSFile;

enum class TVfsGroupOutcome {
  Done,
  ArchiveMissing,  // no such file in the installation folder: nothing was done
  Failed,          // the archive could not be updated; it is as it was
};

struct TVfsGroupResult {
  TVfsGroupOutcome Outcome = TVfsGroupOutcome::Done;
  std::string Message;  // for Failed
};

class TVfsUpdateState {
 public:
  TVfsUpdateState();
  // An archive still open is closed without saving: its unsaved changes are
  // rolled back when it is next opened.
  ~TVfsUpdateState();
  TVfsUpdateState(const TVfsUpdateState&) = delete;
  TVfsUpdateState& operator=(const TVfsUpdateState&) = delete;

  // Puts every entry of Group into the archive ArchiveName (relative to the
  // installation folder), opening it unless the group is empty; with Close
  // saves and closes it afterwards.
  TVfsGroupResult UpdateVfsGroup(IUpdateHost& host, TPak& pak, uint16_t group, const std::string& archiveName,
                                 bool close);
  // Saves and closes the archive left open, if any.
  TStatus CloseVfsArchive(IUpdateHost& host);
  bool HasOpenArchive() const { return openVfs_ != nullptr; }
  const std::string& OpenVfsName() const { return openVfsName_; }

 private:
  TStatus OpenVfsArchive(IUpdateHost& host, const std::string& archiveName);
  TStatus SaveVfsArchive(IUpdateHost& host);
  // Rolls the open archive back and closes it; Reason and the outcome of the
  // rollback make the message.
  TVfsGroupResult Fail(const std::string& reason);

  std::unique_ptr<TVFSFile> openVfs_;
  std::string openVfsName_;
  uint32_t vfsFileCount_ = 0;
  uint32_t vfsFileTotal_ = 0;
  uint32_t vfsLastPercent_ = 0;
};

}  // namespace tailpack
