// The Windows shell: special folders, shell links through COM, starting
// programs and documents, and the icon resource of an executable.

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <array>

#include "base/Bytes.h"
#include "platform/Platform.h"
#include "platform/win32/Com.h"
#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"

namespace tailpack {

namespace {

using win32::FromWide;
using win32::TComInitialisation;
using win32::TComPtr;
using win32::ToWide;
using win32::TWinHandle;

class TWin32Process final : public IProcess {
 public:
  explicit TWin32Process(HANDLE process) : process_(process) {}

  std::optional<uint32_t> ExitCode() override {
    // Ask whether the process has ended rather than compare the exit code
    // with STILL_ACTIVE: a program may well end with 259 itself.
    if (WaitForSingleObject(process_.Get(), 0) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(process_.Get(), &code)) return std::nullopt;
    return code;
  }

  std::optional<uint32_t> WaitForExit(uint32_t milliseconds) override {
    WaitForSingleObject(process_.Get(), milliseconds);
    return ExitCode();
  }

 private:
  TWinHandle process_;
};

// Commits a resource update only when asked; otherwise discards it, so a
// failed replacement leaves the executable as it was.
class TResourceUpdate {
 public:
  explicit TResourceUpdate(const std::wstring& file) : handle_(BeginUpdateResourceW(file.c_str(), FALSE)) {}
  ~TResourceUpdate() {
    if (handle_) EndUpdateResourceW(handle_, TRUE);
  }
  TResourceUpdate(const TResourceUpdate&) = delete;
  TResourceUpdate& operator=(const TResourceUpdate&) = delete;

  HANDLE Get() const { return handle_; }
  bool Commit() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return EndUpdateResourceW(handle, FALSE) != 0;
  }

 private:
  HANDLE handle_;
};

// A folder name the shell gave, without a trailing backslash (a drive root
// keeps its own, "C:\\"); nothing when it is empty.
std::optional<std::string> ShellFolderName(const wchar_t* name) {
  std::string path = FromWide(name);
  if (path.size() > 3 && path.back() == '\\') path.pop_back();
  if (path.empty()) return std::nullopt;
  return path;
}

// A folder the shell knows by its CSIDL number; nothing when the system has none.
std::optional<std::string> FolderOf(int id) {
  wchar_t buffer[MAX_PATH] = {};
  if (SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) return std::nullopt;
  return ShellFolderName(buffer);
}

// A known folder by its identifier, asked without creating it.
std::optional<std::string> KnownFolderOf(REFKNOWNFOLDERID id) {
  PWSTR buffer = nullptr;
  std::optional<std::string> path;
  if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &buffer)) && buffer)
    path = ShellFolderName(buffer);
  CoTaskMemFree(buffer);
  return path;
}

// An icon group of one entry, icon image 1, from the image's own header (a
// bitmap header with twice the height, or a PNG's IHDR chunk).
std::array<uint8_t, 20> IconGroupOfImage(const TBytes& image) {
  uint32_t width = 32;
  uint32_t height = 32;
  uint16_t bitCount = 32;
  if (image.size() >= 24 && image[0] == 0x89 && image[1] == 'P' && image[2] == 'N' && image[3] == 'G') {
    width = (uint32_t{image[16]} << 24) | (uint32_t{image[17]} << 16) | (uint32_t{image[18]} << 8) | image[19];
    height = (uint32_t{image[20]} << 24) | (uint32_t{image[21]} << 16) | (uint32_t{image[22]} << 8) | image[23];
  } else if (image.size() >= 16) {
    width = GetU32(image.data() + 4);
    height = GetU32(image.data() + 8) / 2;  // the colour and the mask bitmaps
    bitCount = GetU16(image.data() + 14);
  }
  std::array<uint8_t, 20> group{};
  PutU16(group.data() + 2, 1);  // icons
  PutU16(group.data() + 4, 1);  // one entry
  uint8_t* entry = group.data() + 6;
  entry[0] = static_cast<uint8_t>(width >= 256 ? 0 : width);  // 0 stands for 256
  entry[1] = static_cast<uint8_t>(height >= 256 ? 0 : height);
  entry[2] = static_cast<uint8_t>(bitCount < 8 ? 1u << bitCount : 0);
  PutU16(entry + 4, 1);  // planes
  PutU16(entry + 6, bitCount);
  PutU32(entry + 8, static_cast<uint32_t>(image.size()));
  PutU16(entry + 12, 1);  // the image's resource number
  return group;
}

class TWin32Shell final : public IShell {
 public:
  std::optional<std::string> SpecialFolder(TSpecialFolder folder) override {
    int id = CSIDL_PROGRAM_FILES;
    switch (folder) {
      case TSpecialFolder::ProgramFiles: id = CSIDL_PROGRAM_FILES; break;
      case TSpecialFolder::StartMenuPrograms: id = CSIDL_PROGRAMS; break;
      case TSpecialFolder::Desktop: id = CSIDL_DESKTOPDIRECTORY; break;
      case TSpecialFolder::AppData: id = CSIDL_APPDATA; break;
    }
    return FolderOf(id);
  }

  std::vector<std::string> SystemFolders() override {
    static constexpr int kFolders[] = {
        CSIDL_WINDOWS,          CSIDL_SYSTEM,           CSIDL_PROGRAM_FILES,    CSIDL_PROGRAM_FILESX86,
        CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROFILE,      CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY,
        CSIDL_STARTMENU,        CSIDL_COMMON_STARTMENU, CSIDL_PROGRAMS,         CSIDL_COMMON_PROGRAMS,
        CSIDL_APPDATA,          CSIDL_LOCAL_APPDATA,    CSIDL_COMMON_APPDATA,   CSIDL_PERSONAL,
        // The user's own files: a script's "rmdir" of one of these (a
        // variable that named the wrong folder) would take them all.
        CSIDL_MYMUSIC,          CSIDL_MYPICTURES,       CSIDL_MYVIDEO,          CSIDL_COMMON_DOCUMENTS,
        CSIDL_FAVORITES,
    };
    std::vector<std::string> folders;
    for (int id : kFolders)
      if (auto folder = FolderOf(id)) folders.push_back(*folder);
    // Downloads and a game's saved games have no older folder number.
    for (REFKNOWNFOLDERID id : {FOLDERID_Downloads, FOLDERID_SavedGames})
      if (auto folder = KnownFolderOf(id)) folders.push_back(*folder);
    // A 32-bit program is told "Program Files (x86)" for both program files
    // folders; the system names the other one in its environment.
    wchar_t native[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(L"ProgramW6432", native, MAX_PATH);
    if (length > 0 && length < MAX_PATH) folders.push_back(FromWide(native));
    return folders;
  }

  bool CreateLink(const TShellLink& link) override {
    if (link.LinkFile.empty()) return false;
    TComInitialisation com;
    if (!com.Usable()) return false;
    TComPtr<IShellLinkW> shellLink;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                shellLink.PutVoid())))
      return false;
    if (FAILED(shellLink->SetPath(ToWide(link.Target).c_str())) ||
        FAILED(shellLink->SetArguments(ToWide(link.Arguments).c_str())) ||
        FAILED(shellLink->SetWorkingDirectory(ToWide(link.WorkingFolder).c_str())) ||
        FAILED(shellLink->SetShowCmd(link.ShowCommand)))
      return false;
    if (!link.IconFile.empty() && FAILED(shellLink->SetIconLocation(ToWide(link.IconFile).c_str(), link.IconIndex)))
      return false;
    auto file = shellLink.As<IPersistFile>(IID_IPersistFile);
    // Saved without becoming the object's current file: it is not used again.
    return file && SUCCEEDED(file->Save(ToWide(link.LinkFile).c_str(), FALSE));
  }

  bool ReplaceIconImage(const std::string& executable, const TBytes& image) override {
    if (executable.empty() || image.empty() || image.size() > MAXDWORD) return false;
    TResourceUpdate update(ToWide(executable));
    if (!update.Get()) return false;
    const WORD neutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    if (!UpdateResourceW(update.Get(), RT_ICON, MAKEINTRESOURCEW(1), neutral, const_cast<uint8_t*>(image.data()),
                         static_cast<DWORD>(image.size())))
      return false;
    // The program's icon group 1 then describes the new image alone, so an
    // image of another size than the one it replaces is still shown right.
    std::array<uint8_t, 20> group = IconGroupOfImage(image);
    if (!UpdateResourceW(update.Get(), RT_GROUP_ICON, MAKEINTRESOURCEW(1), neutral, group.data(),
                         static_cast<DWORD>(group.size())))
      return false;
    return update.Commit();
  }

  TStartedProgram Execute(const std::string& file, const std::string& parameters) override {
    TStartedProgram started;
    if (file.empty()) return started;
    // The shell may hand the request to extensions that need COM.
    TComInitialisation com;
    std::wstring wideFile = ToWide(file);
    std::wstring wideParameters = ToWide(parameters);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // A failure to start is the caller's to handle; no error box may stop
    // an unattended run.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = nullptr;
    info.lpFile = wideFile.c_str();
    info.lpParameters = wideParameters.empty() ? nullptr : wideParameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) return started;
    started.Started = true;
    if (info.hProcess) started.Process = std::make_unique<TWin32Process>(info.hProcess);
    return started;
  }

  bool OpenDocument(const std::string& path) override {
    if (path.empty()) return false;
    TComInitialisation com;
    auto result = ShellExecuteW(nullptr, L"open", ToWide(path).c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
    // Values above 32 mean success.
    return reinterpret_cast<INT_PTR>(result) > 32;
  }
};

}  // namespace

IShell& NativeShell() {
  static TWin32Shell shell;
  return shell;
}

}  // namespace tailpack
