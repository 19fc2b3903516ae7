#pragma once
// The readers of outside bytes that are fuzzed, one function each: it feeds
// the bytes to the reader the way the program does and checks what the
// reader promises. The libFuzzer executables call one of them per input
// (FuzzMain.cpp); the regular tests call them on the fixtures of crashes
// found (tests/fuzz), so every crash stays fixed.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tailpack::fuzz {

int ReadSetupArchive(const uint8_t* data, size_t size);
int ReadSetupInfo(const uint8_t* data, size_t size);
int ReadCompiledLines(const uint8_t* data, size_t size);
int ReadLanguage(const uint8_t* data, size_t size);
int ReadPageLayout(const uint8_t* data, size_t size);
int ReadPagesTxt(const uint8_t* data, size_t size);
int ReadInstallLog(const uint8_t* data, size_t size);
int ReadSourceScript(const uint8_t* data, size_t size);
int ReadDataArchive(const uint8_t* data, size_t size);
int ReadVfsArchive(const uint8_t* data, size_t size);
int ReadVfsHashFile(const uint8_t* data, size_t size);
int ReadWaveFile(const uint8_t* data, size_t size);

struct TFuzzTarget {
  std::string Name;  // also the name of its executable (Name_fuzz) and corpus folder
  int (*Read)(const uint8_t* data, size_t size);
};

// Every target of this platform.
std::vector<TFuzzTarget> FuzzTargets();
// The targets only this platform has (the POSIX registry file).
void AddPlatformTargets(std::vector<TFuzzTarget>& targets);

}  // namespace tailpack::fuzz
