#pragma once
// Helpers shared by the setup-archive tests: archives written with TPak from
// in-memory entries, byte patches to damage them, and recorders for what
// extraction reports.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/Pak.h"
#include "base/Bytes.h"
#include "base/InstallRecorder.h"
#include "base/ProgressReporter.h"
#include "platform/Platform.h"
#include "system/MessageBoxes.h"

namespace tailpack::test {

struct TTestEntry {
  std::string Name;
  uint16_t Group = 0;
  TBytes Data;
};

// Bytes deflate cannot shrink.
inline TBytes RandomBytes(size_t count, uint32_t seed) {
  TBytes bytes(count);
  uint32_t state = seed * 2654435761u + 1;
  for (auto& byte : bytes) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<uint8_t>(state >> 24);
  }
  return bytes;
}

// Bytes deflate shrinks well.
inline TBytes TextBytes(size_t count) {
  static const std::string kLine = "The quick brown fox jumps over the lazy dog. ";
  TBytes bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(kLine[i % kLine.size()]);
  return bytes;
}

// Writes the entries (each through WriteData) and the table; with Append the
// archive goes after the existing file's bytes.
inline void WriteArchive(const std::string& path, const std::vector<TTestEntry>& entries, bool append = false) {
  TPak pak;
  ASSERT_TRUE(pak.Create(path, !append, append));
  for (const TTestEntry& entry : entries) {
    uint32_t index = pak.AddFile(entry.Name, "", entry.Group);
    TStatus status = pak.WriteData(index, entry.Data.data(), static_cast<uint32_t>(entry.Data.size()));
    ASSERT_TRUE(status.Ok()) << status.Message();
  }
  TStatus status = pak.WriteHeader();
  ASSERT_TRUE(status.Ok()) << status.Message();
}

// Appends to Pak (open for writing) a compressed entry of 999 bytes of text
// whose record claims 1000: its stored bytes are intact, but it inflates one
// byte short of its Size (the DecompSize case).
inline void WriteEntryOneByteShort(TPak& pak, const std::string& name, uint16_t group) {
  TBytes text = TextBytes(999);
  TPackedEntry packed = PackBuffer(text.data(), static_cast<uint32_t>(text.size()));
  ASSERT_NE(packed.StoredSize, 0u);
  packed.Size = 1000;
  ASSERT_TRUE(pak.WritePacked(pak.AddFile(name, "", group), packed).Ok());
}

inline void PatchBytes(const std::string& path, uint64_t offset, const TBytes& bytes) {
  auto file = Files().Open(path, TFileMode::OpenReadWrite, TFileShare::ReadWrite);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->Seek(offset));
  ASSERT_EQ(file->Write(bytes.data(), static_cast<uint32_t>(bytes.size())), bytes.size());
}

inline void PatchU32(const std::string& path, uint64_t offset, uint32_t value) {
  TBytes bytes(4);
  PutU32(bytes.data(), value);
  PatchBytes(path, offset, bytes);
}

inline void FlipByte(const std::string& path, uint64_t offset) {
  auto file = Files().Open(path, TFileMode::OpenReadWrite, TFileShare::ReadWrite);
  ASSERT_TRUE(file);
  uint8_t byte = 0;
  ASSERT_TRUE(file->Seek(offset));
  ASSERT_EQ(file->Read(&byte, 1), 1u);
  byte ^= 0x5A;
  ASSERT_TRUE(file->Seek(offset));
  ASSERT_EQ(file->Write(&byte, 1), 1u);
}

// Field offsets inside a table record, after the name.
enum class TRecordField : uint32_t { Checksum = 0, Offset = 4, StoredSize = 8, Size = 12, Group = 16 };

// Where a field of record Index lies in the archive file.
inline uint64_t RecordFieldOffset(const std::string& path, uint32_t index, TRecordField field) {
  TPak pak;
  EXPECT_TRUE(pak.Create(path));
  uint64_t offset = pak.Header().TableOffset;
  for (uint32_t i = 0; i < index; ++i) offset += 2 + pak.Files()[i].Name.size() + kPakRecordFixedSize;
  return offset + 2 + pak.Files()[index].Name.size() + static_cast<uint32_t>(field);
}

// Captures the status lines and counts the progress steps a pak reports.
class TProgressCapture final : public IProgressReporter {
 public:
  explicit TProgressCapture(TPak& pak) { pak.SetProgress(this); }
  void SetStatusText(const std::u16string& text) override { Lines.push_back(text); }
  void StepProgress(bool) override { ++steps_; }
  uint32_t Steps() const { return steps_; }
  std::vector<std::u16string> Lines;

 private:
  uint32_t steps_ = 0;
};

// Keeps what an installation reports, in order, as "file:" and "folder:" lines.
class TRecordingRecorder final : public IInstallRecorder {
 public:
  void AddFile(const std::string& path) override { Events.push_back("file:" + path); }
  void AddFolder(const std::string& path) override { Events.push_back("folder:" + path); }
  std::vector<std::string> Events;
};

// Answers every message box with OK and keeps it, while it lives.
class TMessageCapture final : public IMessageBoxes {
 public:
  TMessageCapture() : saved_(MessageBoxes()) { SetMessageBoxes(*this); }
  ~TMessageCapture() override { SetMessageBoxes(saved_); }
  TMessageResult Show(const std::u16string& text, const std::u16string& caption, TMessageButtons,
                      TMessageIcon, TMessageOwner) override {
    Texts.push_back(text);
    Captions.push_back(caption);
    return TMessageResult::Ok;
  }
  std::vector<std::u16string> Texts;
  std::vector<std::u16string> Captions;

 private:
  IMessageBoxes& saved_;
};

}  // namespace tailpack::test
