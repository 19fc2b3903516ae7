// The POSIX shell: the special folders in the Windows layout under drive C:,
// links as freedesktop desktop entries, programs started with posix_spawn and
// documents handed to xdg-open.

#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "base/Text.h"
#include "platform/Platform.h"
#include "platform/TextCodec.h"
#include "platform/posix/AtomicFile.h"
#include "platform/posix/CommandLine.h"
#include "platform/posix/Descriptor.h"
#include "platform/posix/DriveMap.h"

extern char** environ;

namespace tailpack {

namespace {

// The user's name as a Windows folder name.
std::string UserFolderName() {
  std::string name;
  std::string buffer(16384, '\0');
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
    name = posix::HostNameToAnsi(found->pw_name);
  if (name.empty())
    if (const char* user = std::getenv("USER")) name = posix::HostNameToAnsi(user);
  for (char& c : name)
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) c = '_';
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  return name.empty() ? "user" : name;
}

bool IsFile(const std::string& host) {
  struct stat info;
  return stat(host.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsExecutableFile(const std::string& host) { return IsFile(host) && access(host.c_str(), X_OK) == 0; }

// A program found on the search path, as ShellExecute finds bare names.
std::optional<std::string> FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string folders = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    std::string folder = folders.substr(start, end - start);
    start = end + 1;
    if (folder.empty()) continue;  // never the current folder by accident
    std::string candidate = folder + "/" + name;
    if (IsExecutableFile(candidate)) return candidate;
  }
  return std::nullopt;
}

bool HasDisplay() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

// Waits for a child nobody polls any more on a thread of its own, so it does
// not stay a zombie and nobody blocks on it.
void LeaveToReaper(pid_t pid) {
  try {
    std::thread([pid] {
      int status = 0;
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to spare: the child stays a zombie until this process ends.
  }
}

// Starts Program with Arguments (argument 0 included); nothing on failure.
std::optional<pid_t> Spawn(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  // The child starts with default signal handling and nothing blocked,
  // whatever this process set up for itself.
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return std::nullopt;
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  int result = posix_spawn(&pid, program.c_str(), nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (result != 0) return std::nullopt;
  return pid;
}

// Hands a document to the desktop's default application.
bool OpenWithDesktop(const std::string& host) {
  if (!HasDisplay()) return false;
  auto opener = FindOnPath("xdg-open");
  if (!opener) return false;
  auto pid = Spawn(*opener, {*opener, host});
  if (!pid) return false;
  LeaveToReaper(*pid);
  return true;
}

class TChildProcess final : public IProcess {
 public:
  explicit TChildProcess(pid_t pid) : pid_(pid) {}
  ~TChildProcess() override {
    if (!ExitCode()) LeaveToReaper(pid_);
  }
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  std::optional<uint32_t> ExitCode() override {
    std::lock_guard guard(mutex_);
    if (exitCode_) return exitCode_;
    int status = 0;
    pid_t result = waitpid(pid_, &status, WNOHANG);
    if (result == pid_) {
      // A child ended by a signal reports 128 + the signal, as shells do.
      exitCode_ = WIFEXITED(status) ? static_cast<uint32_t>(WEXITSTATUS(status))
                                    : 128u + static_cast<uint32_t>(WTERMSIG(status));
    } else if (result < 0 && errno == ECHILD) {
      // Reaped elsewhere (SIGCHLD ignored by someone): it has ended, with a
      // code nobody can know any more.
      exitCode_ = 0;
    }
    return exitCode_;
  }

  std::optional<uint32_t> WaitForExit(uint32_t milliseconds) override {
    if (auto code = ExitCode()) return code;
    if (WaitOnDescriptor(milliseconds)) return ExitCode();
    // A kernel without process descriptors (before 5.3): look again each
    // millisecond until the time is up.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
      if (auto code = ExitCode()) return code;
      if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

 private:
  // Sleeps until the child ends or the time is up; false when the kernel
  // offers no process descriptor to sleep on.
  bool WaitOnDescriptor(uint32_t milliseconds) {
    {
      std::lock_guard guard(mutex_);
      if (!descriptor_) {
#ifdef SYS_pidfd_open
        descriptor_.emplace(static_cast<int>(syscall(SYS_pidfd_open, pid_, 0)));
#else
        descriptor_.emplace(-1);
#endif
      }
      if (descriptor_->Get() < 0) return false;
    }
    pollfd wait{descriptor_->Get(), POLLIN, 0};
    int timeout = static_cast<int>(std::min<uint32_t>(milliseconds, INT32_MAX));
    while (poll(&wait, 1, timeout) < 0 && errno == EINTR) {
    }
    return true;
  }

  std::mutex mutex_;
  pid_t pid_;
  std::optional<uint32_t> exitCode_;
  std::optional<posix::TDescriptor> descriptor_;
};

// The link's file name without folder and extension, its caption.
std::string LinkCaption(const std::string& linkFile) {
  std::string name = linkFile.substr(linkFile.find_last_of("\\/:") + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

std::string Utf8(const std::string& ansi) { return Utf16ToUtf8(AnsiToWide(ansi)); }

// The folders in the Windows layout on drive C:, as a default Windows
// installation names them.
std::string ProfileFolder() { return "C:\\users\\" + UserFolderName(); }

std::string SpecialFolderPath(TSpecialFolder folder) {
  const std::string profile = ProfileFolder();
  switch (folder) {
    case TSpecialFolder::ProgramFiles: return "C:\\Program Files";
    case TSpecialFolder::StartMenuPrograms:
      return profile + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
    case TSpecialFolder::Desktop: return profile + "\\Desktop";
    case TSpecialFolder::AppData: return profile + "\\AppData\\Roaming";
  }
  return profile;
}

class TPosixShell final : public IShell {
 public:
  std::optional<std::string> SpecialFolder(TSpecialFolder folder) override {
    if (!posix::FindDrive('C')) return std::nullopt;
    std::string path = SpecialFolderPath(folder);
    // On Windows these folders always exist; create them so that a setup
    // never records them as folders of its own to remove when uninstalling.
    if (auto host = posix::ToHostPath(path)) posix::MakeHostFolders(*host);
    return path;
  }

  std::vector<std::string> SystemFolders() override {
    if (!posix::FindDrive('C')) return {};
    const std::string profile = ProfileFolder();
    return {"C:\\windows",
            SpecialFolderPath(TSpecialFolder::ProgramFiles),
            "C:\\Program Files (x86)",
            "C:\\ProgramData",
            profile,
            SpecialFolderPath(TSpecialFolder::Desktop),
            SpecialFolderPath(TSpecialFolder::AppData),
            profile + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu",
            SpecialFolderPath(TSpecialFolder::StartMenuPrograms),
            profile + "\\Documents",
            profile + "\\Pictures",
            profile + "\\Music",
            profile + "\\Videos",
            profile + "\\Downloads",
            profile + "\\Saved Games"};
  }

  bool CreateLink(const TShellLink& link) override {
    auto linkHost = posix::ToHostPath(link.LinkFile);
    auto target = posix::ToHostPath(link.Target);
    if (!linkHost || !target) return false;
    std::string exec = posix::QuoteExecArgument(*target);
    for (const auto& argument : posix::SplitWindowsCommandLine(link.Arguments))
      exec += " " + posix::QuoteExecArgument(Utf8(argument));
    std::string entry = "[Desktop Entry]\n";
    entry += "Type=Application\n";
    entry += "Name=" + posix::EscapeDesktopString(Utf8(LinkCaption(link.LinkFile))) + "\n";
    entry += "Exec=" + posix::EscapeDesktopString(exec) + "\n";
    if (!link.WorkingFolder.empty())
      if (auto folder = posix::ToHostPath(link.WorkingFolder))
        entry += "Path=" + posix::EscapeDesktopString(*folder) + "\n";
    if (!link.IconFile.empty())
      if (auto icon = posix::ToHostPath(link.IconFile)) entry += "Icon=" + posix::EscapeDesktopString(*icon) + "\n";
    // Desktops start only entries marked executable.
    return posix::ReplaceFileAtomically(*linkHost, entry, 0755);
  }

  bool ReplaceIconImage(const std::string&, const TBytes&) override { return false; }

  TStartedProgram Execute(const std::string& file, const std::string& parameters) override {
    TStartedProgram started;
    auto host = posix::ToHostPath(file);
    struct stat info;
    if ((!host || lstat(host->c_str(), &info) != 0) && file.find_first_of("\\/:") == std::string::npos)
      host = FindOnPath(posix::AnsiToHostName(file));
    if (!host) return started;
    if (IsExecutableFile(*host)) {
      std::vector<std::string> arguments{*host};
      for (const auto& argument : posix::SplitWindowsCommandLine(parameters)) arguments.push_back(Utf8(argument));
      if (auto pid = Spawn(*host, arguments)) {
        started.Started = true;
        started.Process = std::make_unique<TChildProcess>(*pid);
      }
      return started;
    }
    // A document (or folder): the desktop opens it; nothing to wait for.
    if (lstat(host->c_str(), &info) == 0) started.Started = OpenWithDesktop(*host);
    return started;
  }

  bool OpenDocument(const std::string& path) override {
    auto host = posix::ToHostPath(path);
    struct stat info;
    return host && stat(host->c_str(), &info) == 0 && OpenWithDesktop(*host);
  }
};

}  // namespace

IShell& NativeShell() {
  static TPosixShell shell;
  return shell;
}

}  // namespace tailpack
