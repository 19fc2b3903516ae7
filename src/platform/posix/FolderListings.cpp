#include "platform/posix/FolderListings.h"

#include <dirent.h>

#include <memory>

#include "base/Text.h"
#include "platform/TextCase.h"
#include "platform/posix/DriveMap.h"

namespace tailpack::posix {

namespace {

// More folders than an installation works in at once; past it, the listings
// start over rather than grow without end.
constexpr size_t kMaxListings = 4096;

struct TDirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

std::string NameKey(const std::string& hostName) { return LowerAnsi(HostNameToAnsi(hostName)); }

}  // namespace

bool TFolderListings::TStamp::operator==(const TStamp& other) const {
  return Device == other.Device && Inode == other.Inode && SameTime(Changed, other.Changed) &&
         SameTime(Modified, other.Modified) && Size == other.Size && Links == other.Links;
}

std::optional<TFolderListings::TStamp> TFolderListings::StampOf(const std::string& folder) {
  struct stat info;
  if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
  return TStamp{info.st_dev, info.st_ino, info.st_ctim, info.st_mtim, info.st_size, info.st_nlink};
}

TFolderListings::TListing* TFolderListings::Current(const std::string& folder) {
  // Taken before the folder is read: a change while it is read shows as a
  // new stamp at the next look-up.
  auto stamp = StampOf(folder);
  if (!stamp) {
    listings_.erase(folder);
    return nullptr;
  }
  auto known = listings_.find(folder);
  if (known != listings_.end() && known->second.Stamp == *stamp) {
    known->second.Fresh = true;
    return &known->second;
  }
  std::unique_ptr<DIR, TDirCloser> dir(opendir(folder.c_str()));
  if (!dir) return nullptr;
  ++reads_;
  if (known == listings_.end()) {
    if (listings_.size() >= kMaxListings) listings_.clear();
    known = listings_.emplace(folder, TListing{}).first;
  }
  TListing& listing = known->second;
  listing.Stamp = *stamp;
  listing.Fresh = true;
  listing.Names.clear();
  while (dirent* entry = readdir(dir.get())) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    listing.Names.emplace(NameKey(name), name);
  }
  return &listing;
}

std::optional<std::string> TFolderListings::Find(const std::string& folder, const std::string& ansiName) {
  std::lock_guard guard(lock_);
  TListing* listing = Current(folder);
  if (!listing) return std::nullopt;
  auto found = listing->Names.find(LowerAnsi(ansiName));
  if (found == listing->Names.end()) return std::nullopt;
  return found->second;
}

void TFolderListings::Note(const std::string& hostPath, bool added) {
  size_t slash = hostPath.rfind('/');
  if (slash == std::string::npos) return;
  std::string folder = slash == 0 ? "/" : hostPath.substr(0, slash);
  std::string name = hostPath.substr(slash + 1);
  std::lock_guard guard(lock_);
  auto known = listings_.find(folder);
  if (known == listings_.end()) return;
  auto stamp = StampOf(folder);
  if (!stamp || !known->second.Fresh) {
    listings_.erase(known);
    return;
  }
  TListing& listing = known->second;
  listing.Fresh = false;
  std::string key = NameKey(name);
  if (added) {
    listing.Names.emplace(key, name);
  } else {
    auto entry = listing.Names.find(key);
    // Another spelling of the same name may be there as well (a host
    // folder can hold both): only a new listing can tell which is left.
    if (entry == listing.Names.end() || entry->second != name) {
      listings_.erase(known);
      return;
    }
    listing.Names.erase(entry);
  }
  listing.Stamp = *stamp;
}

void TFolderListings::NoteAdded(const std::string& hostPath) { Note(hostPath, true); }

void TFolderListings::NoteRemoved(const std::string& hostPath) { Note(hostPath, false); }

void TFolderListings::Clear() {
  std::lock_guard guard(lock_);
  listings_.clear();
}

uint64_t TFolderListings::Reads() {
  std::lock_guard guard(lock_);
  return reads_;
}

TFolderListings& FolderListings() {
  static TFolderListings listings;
  return listings;
}

}  // namespace tailpack::posix
