#include "system/FileHelpers.h"

#include <algorithm>
#include <vector>

#include "base/Errors.h"
#include "system/FolderChain.h"
#include "base/InstallRecorder.h"
#include "platform/Platform.h"
#include "system/PathSafety.h"

namespace tailpack {

std::optional<TBytes> ReadWholeFile(const std::string& path) {
  std::optional<uint64_t> size;
  {
    auto probe = Files().Open(path, TFileMode::OpenRead, TFileShare::ReadWrite);
    if (!probe) throw EIOError("Cannot open file \"" + path + "\"");
    size = probe->Size();
  }
  auto file = Files().Open(path, TFileMode::OpenRead, TFileShare::None);
  if (!file || !size || *size > 0xFFFFFFFFull) return std::nullopt;
  TBytes data(static_cast<size_t>(*size));
  uint32_t actual = data.empty() ? 0 : file->Read(data.data(), static_cast<uint32_t>(data.size()));
  data.resize(actual);
  return data;
}

std::optional<TBytes> TryReadWholeFile(const std::string& path) {
  auto file = Files().Open(path, TFileMode::OpenRead, TFileShare::Read);
  auto size = file ? file->Size() : std::nullopt;
  if (!size || *size > 0xFFFFFFFFull) return std::nullopt;
  TBytes data(static_cast<size_t>(*size));
  if (!data.empty() && file->Read(data.data(), static_cast<uint32_t>(data.size())) != data.size()) return std::nullopt;
  return data;
}

TStatus WriteBufferToFile(const std::string& path, const uint8_t* data, uint32_t count,
                          IInstallRecorder* recorder, TDurability durability) {
  CreateFolderChain(ExtractFileDir(path), recorder);
  return WriteWholeFile(path, data, count, durability);
}

TStatus FileNotCreated(const std::string& path) {
  return TStatus::RetryableFailure("Unable to write file:\"" + path +
                                   "\", file may be in use or drive is write protected...");
}

TStatus FileNotWrittenCompletely(const std::string& path) {
  return TStatus::RetryableFailure("Cannot write \"" + path + "\" completely (is the disk full?)");
}

TWholeFileWriter::TWholeFileWriter(std::string path, TFileMode mode)
    : path_(std::move(path)), file_(Files().Open(path_, mode, TFileShare::None)) {}

TWholeFileWriter::~TWholeFileWriter() {
  if (finished_ || !file_) return;
  file_.reset();
  Files().Delete(path_);
}

bool TWholeFileWriter::Write(const uint8_t* data, size_t count) {
  // IFile counts in 32 bits; a gigabyte at a time is plenty.
  constexpr size_t kMostPerWrite = size_t{1} << 30;
  while (complete_ && file_ && count > 0) {
    auto piece = static_cast<uint32_t>(std::min(count, kMostPerWrite));
    complete_ = file_->Write(data, piece) == piece;
    data += piece;
    count -= piece;
  }
  return complete_ && file_;
}

TStatus TWholeFileWriter::Finish(TDurability durability) {
  if (!file_) return FileNotCreated(path_);
  bool complete = complete_;
  if (durability == TDurability::Flushed) complete = file_->Flush() && complete;
  complete = file_->Close() && complete;
  file_.reset();
  if (!complete) {
    Files().Delete(path_);
    return FileNotWrittenCompletely(path_);
  }
  finished_ = true;
  return TStatus::Success();
}

TStatus WriteWholeFile(const std::string& path, const uint8_t* data, uint32_t count, TDurability durability) {
  TWholeFileWriter writer(path);
  if (count > 0 && data != nullptr) writer.Write(data, count);
  return writer.Finish(durability);
}

TStatus ReplaceWholeFile(const std::string& path, const uint8_t* data, uint32_t count) {
  const std::string partial = path + ".partial";
  if (TStatus written = WriteWholeFile(partial, data, count, TDurability::Flushed); !written) return written;
  return MovePartialIntoPlace(partial, path);
}

TStatus MovePartialIntoPlace(const std::string& partialPath, const std::string& path) {
  if (!Files().RenameReplacing(partialPath, path)) {
    Files().Delete(partialPath);
    return TStatus::Failure("Cannot replace \"" + path + "\"");
  }
  // The new file is whole either way; should its name not reach the disk
  // the old file is what a power failure leaves, which is no loss.
  FlushNameOf(path);
  return TStatus::Success();
}

bool IsAbsoluteDrivePath(std::string_view path) {
  if (path.size() <= 3 || path[1] != ':' || path[2] != '\\') return false;
  char letter = path[0];
  return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
}

void CreateFolderChain(const std::string& path, IInstallRecorder* recorder) { TFolderChain(recorder).Make(path); }

namespace {

// Removes a folder that passed the checks, with everything below it, never
// entering a link (or a mount point) but removing the link itself.
bool RemoveTree(const std::string& folder) {
  bool complete = true;
  std::string prefix = IncludeTrailingBackslash(folder);
  for (const TFolderEntry& entry : Files().FindFiles(prefix + "*")) {
    std::string full = prefix + entry.Name;
    if (entry.IsFolder() && (entry.Attributes & kAttributeReparsePoint) == 0) {
      complete = RemoveTree(full) && complete;
    } else if (entry.IsFolder()) {
      complete = Files().RemoveFolder(full) && complete;
    } else {
      complete = Files().Delete(full) && complete;
    }
  }
  return Files().RemoveFolder(folder) && complete;
}

}  // namespace

bool DeleteTree(const std::string& path) {
  // ".." and trailing dots are resolved before the checks, so that
  // "C:\App\.." is seen for the drive root it is.
  if (!CheckTreeRemovable(path)) return false;
  const std::string folder = NormalizeWindowsPath(path);
  auto attributes = Files().Attributes(folder);
  if (!attributes || (*attributes & kAttributeDirectory) == 0) return true;
  if (*attributes & kAttributeReparsePoint) return Files().RemoveFolder(folder);
  return RemoveTree(folder);
}

std::string IncludeTrailingBackslash(std::string_view text) {
  std::string result(text);
  if (!result.empty() && result.back() != '\\') result += '\\';
  return result;
}

std::string ExtractFilePath(std::string_view path) {
  size_t separator = path.find_last_of("\\:");
  return separator == std::string_view::npos ? std::string() : std::string(path.substr(0, separator + 1));
}

std::string ExtractFileName(std::string_view path) {
  size_t separator = path.find_last_of("\\:");
  return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

std::string ExtractFileDir(std::string_view path) {
  std::string folder = ExtractFilePath(path);
  // Keep the backslash of a drive root ("C:\").
  if (folder.size() > 1 && folder.back() == '\\' && folder[folder.size() - 2] != ':') folder.pop_back();
  return folder;
}

bool FlushNameOf(const std::string& path) {
  std::string folder = ExtractFileDir(path);
  return Files().FlushFolder(folder.empty() ? "." : folder);
}

void SplitNameValue(std::string_view text, std::string& name, std::string& value) {
  size_t equals = text.find('=');
  if (equals == std::string_view::npos) {
    name.clear();
    value.clear();
    return;
  }
  name = std::string(text.substr(0, equals));
  value = std::string(text.substr(equals + 1));
}

void SplitAtEquals(std::string_view text, std::string& name, std::string& value) {
  size_t equals = text.find('=');
  if (equals == std::string_view::npos) {
    name.clear();
    value = std::string(text);
    return;
  }
  name = std::string(text.substr(0, equals));
  value = std::string(text.substr(equals + 1));
}

}  // namespace tailpack
