#pragma once
// Shared by the VFS tests: small archives made from a geometry, what a file
// in them holds, and a snapshot of an archive with its ".ht" file to compare
// old and new states byte for byte.

#include <gtest/gtest.h>

#include <string>

#include "gamedata/EmptyArchives.h"
#include "gamedata/VfsContent.h"
#include "gamedata/VfsFile.h"
#include "gamedata/VfsHashFile.h"
#include "gamedata/VfsTree.h"
#include "platform/Platform.h"
#include "support/TempFolder.h"

namespace tailpack::test {

inline TVfsGeometry SmallGeometry(int32_t blockSize = 64, int32_t blocks = 64, uint32_t roots = 8) {
  TVfsGeometry geometry;
  geometry.BlockSize = blockSize;
  geometry.BlockCount = blocks;
  geometry.RootCount = roots;
  return geometry;
}

inline void MakeVfs(const std::string& path, const TVfsGeometry& geometry) {
  TStatus created = CreateEmptyVfsArchive(path, geometry);
  ASSERT_TRUE(created.Ok()) << created.Message();
}

// The bytes of the file at Path in an archive opened with its tree.
inline TBytes VfsFileContent(TVFSFile& vfs, const std::string& path) {
  int32_t node = vfs.Tree().FindByPath(path);
  EXPECT_GE(node, 0) << path;
  if (node < 0) return {};
  const TVFSEntry& entry = *vfs.Tree().Node(node).Entry;
  auto stored = vfs.ReadFile(entry);
  TBytes content;
  TStatus unpacked = UnpackVfsFile(entry, stored ? stored->Data() : TBytes{}, content);
  EXPECT_TRUE(unpacked.Ok()) << unpacked.Message();
  return content;
}

// The archive's bytes followed by its hash file's ("-" when there is none).
inline TBytes VfsSnapshot(const std::string& path) {
  TBytes snapshot = ReadFile(path);
  std::string hashFile = VfsHashFilePath(path);
  snapshot.push_back('|');
  if (!Files().Exists(hashFile)) {
    snapshot.push_back('-');
  } else {
    TBytes hash = ReadFile(hashFile);
    snapshot.insert(snapshot.end(), hash.begin(), hash.end());
  }
  return snapshot;
}

}  // namespace tailpack::test
