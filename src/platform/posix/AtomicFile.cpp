#include "platform/posix/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include "platform/posix/Descriptor.h"

namespace tailpack::posix {

namespace {

bool WriteAll(int fd, std::string_view content) {
  size_t done = 0;
  while (done < content.size()) {
    ssize_t put = write(fd, content.data() + done, content.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

// The file a link points to, so replacing it keeps the link in place.
std::string ResolveLink(const std::string& hostPath) {
  struct stat info;
  if (lstat(hostPath.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return hostPath;
  struct TFree {
    void operator()(char* p) const { std::free(p); }
  };
  std::unique_ptr<char, TFree> resolved(realpath(hostPath.c_str(), nullptr));
  return resolved ? std::string(resolved.get()) : hostPath;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& hostPath, std::string_view content, mode_t mode) {
  std::string target = ResolveLink(hostPath);
  size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (name.empty()) return false;

  struct stat existing;
  if (stat(target.c_str(), &existing) == 0) {
    if (!S_ISREG(existing.st_mode)) return false;
    mode = existing.st_mode & 07777;
  }

  std::string temporary = (folder == "/" ? "" : folder) + "/." + name + ".XXXXXX";
  TDescriptor file(mkostemp(temporary.data(), O_CLOEXEC));
  if (file.Get() < 0) return false;
  bool written = WriteAll(file.Get(), content) && fchmod(file.Get(), mode) == 0 && fsync(file.Get()) == 0;
  written = close(file.Release()) == 0 && written;
  if (!written || rename(temporary.c_str(), target.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  // Make the rename itself durable; a failure here no longer loses data.
  TDescriptor directory(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.Get() >= 0) fsync(directory.Get());
  return true;
}

}  // namespace tailpack::posix
