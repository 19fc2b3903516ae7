#pragma once
// Case-insensitive name look-ups in host folders, for the drive map. Finding
// "readme.txt" when the folder holds "ReadMe.TXT" takes a listing of the
// folder; a setup that writes thousands of new files into one folder would
// list it once per file, and the cost per file would grow with the folder.
// The listings are kept instead, each with the folder's stamp (identity,
// change and modification times, size, links) taken before it was read. A
// look-up first compares the stamp with the folder as it is now: whatever
// changed the folder (this process or any other) changed the stamp, and the
// folder is listed again. This process reports what it adds and removes
// itself (NoteAdded, NoteRemoved), so its own files do not cost a new listing
// each.
//
// Limit: the stamp's times come from the kernel's clock. A change by another
// process in the same clock tick as one reported by this process, between
// that change and its report, can go unseen until the folder changes again;
// kernels with fine-grained timestamps for queried files (Linux 6.13 and
// later) make that window all but closed.

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace tailpack::posix {

class TFolderListings {
 public:
  // The host name in Folder whose ANSI form equals AnsiName without regard to
  // letter case; nothing when there is none (or Folder cannot be listed).
  std::optional<std::string> Find(const std::string& folder, const std::string& ansiName);
  // This process has just added (created, renamed to) or removed the item at
  // HostPath: its folder's listing follows without being read again.
  void NoteAdded(const std::string& hostPath);
  void NoteRemoved(const std::string& hostPath);
  // Drops every listing.
  void Clear();
  // How many times a folder has been read so far (the cost the listings
  // save), for tests and diagnostics.
  uint64_t Reads();

 private:
  struct TStamp {
    dev_t Device = 0;
    ino_t Inode = 0;
    timespec Changed{};
    timespec Modified{};
    off_t Size = 0;
    nlink_t Links = 0;
    bool operator==(const TStamp& other) const;
  };
  struct TListing {
    TStamp Stamp;
    // The ANSI name lower-cased -> the first host name with that form.
    std::unordered_map<std::string, std::string> Names;
    // Confirmed against the folder by the last look-up and not noted since:
    // only then does a note follow the folder (the change it reports came
    // right after that look-up); otherwise the listing is dropped.
    bool Fresh = false;
  };

  static std::optional<TStamp> StampOf(const std::string& folder);
  // The listing of Folder as it is now, read again when its stamp changed.
  TListing* Current(const std::string& folder);
  void Note(const std::string& hostPath, bool added);

  std::mutex lock_;
  std::unordered_map<std::string, TListing> listings_;
  uint64_t reads_ = 0;
};

// The drive map's listings, one set for the process.
TFolderListings& FolderListings();

}  // namespace tailpack::posix
