// Setup-archive throughput: packing entries, verifying an archive as start-up
// does (next to its floor, bare zlib inflate + CRC-32 of the same entries),
// and extracting a group to disk. Bytes per second are uncompressed entry
// bytes. With TAILPACK_BENCH_SETUP naming a built setup (a host path; see
// bench/run.sh) verification and its floor are also measured on that setup.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/Pak.h"
#include "archive/Verification.h"
#include "platform/HostPaths.h"
#include "platform/Platform.h"
#include "support/StreamFloor.h"
#include "system/FileHelpers.h"

namespace tailpack {
namespace {

// Half text-like (compresses well), half noise (stored raw), as real setups mix both.
TBytes EntryBytes(size_t count, uint32_t seed, bool compressible) {
  TBytes bytes(count);
  uint32_t state = seed * 2654435761u + 1;
  static const std::string kText = "Lorem ipsum dolor sit amet, consectetur adipiscing elit. ";
  for (size_t i = 0; i < count; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    bytes[i] = compressible ? static_cast<uint8_t>(kText[(i + (state & 3)) % kText.size()])
                            : static_cast<uint8_t>(state >> 24);
  }
  return bytes;
}

// A temporary folder with an archive of Count entries of EntrySize bytes in group 1.
class TBenchArchive {
 public:
  TBenchArchive(uint32_t count, uint32_t entrySize) {
    auto folder = Files().CreatePrivateFolder(Files().TempFolder());
    if (!folder) throw std::runtime_error("cannot create a temporary folder");
    folder_ = *folder;
    path_ = folder_ + "\\bench.pak";
    TPak pak;
    if (!pak.Create(path_, true, false)) throw std::runtime_error("cannot create the archive");
    for (uint32_t i = 0; i < count; ++i) {
      TBytes data = EntryBytes(entrySize, i, i % 2 == 0);
      uint32_t index = pak.AddFile("Data\\entry" + std::to_string(i) + ".bin", "", 1);
      if (!pak.WriteData(index, data.data(), entrySize)) throw std::runtime_error("cannot write an entry");
      totalBytes_ += entrySize;
    }
    if (!pak.WriteHeader()) throw std::runtime_error("cannot write the table");
  }
  ~TBenchArchive() { DeleteTree(folder_); }
  TBenchArchive(const TBenchArchive&) = delete;
  TBenchArchive& operator=(const TBenchArchive&) = delete;

  const std::string& Path() const { return path_; }
  const std::string& Folder() const { return folder_; }
  int64_t TotalBytes() const { return totalBytes_; }

 private:
  std::string folder_;
  std::string path_;
  int64_t totalBytes_ = 0;
};

void BM_PackBuffer(benchmark::State& state) {
  const auto size = static_cast<uint32_t>(state.range(0));
  const bool compressible = state.range(1) != 0;
  TBytes data = EntryBytes(size, 7, compressible);
  for (auto _ : state) benchmark::DoNotOptimize(PackBuffer(data.data(), size));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
  state.SetLabel(compressible ? "text" : "noise");
}
BENCHMARK(BM_PackBuffer)->Args({64 << 10, 1})->Args({64 << 10, 0})->Args({4 << 20, 1})->Args({4 << 20, 0})
    ->Unit(benchmark::kMillisecond);

void BM_VerifyArchive(benchmark::State& state) {
  const auto entrySize = static_cast<uint32_t>(state.range(0));
  TBenchArchive archive(static_cast<uint32_t>((32u << 20) / entrySize), entrySize);
  TPak pak;
  if (!pak.Create(archive.Path())) {
    state.SkipWithError("cannot open the archive");
    return;
  }
  for (auto _ : state) {
    TVerificationResult result = VerifyArchive(pak);
    if (result.FailedIndex) state.SkipWithError("verification failed");
  }
  state.SetBytesProcessed(state.iterations() * archive.TotalBytes());
}
BENCHMARK(BM_VerifyArchive)->Arg(64 << 10)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

// What verification cannot beat: the same entries read, checked and inflated
// with nothing but zlib.
void BM_InflateCrcFloor(benchmark::State& state) {
  const auto entrySize = static_cast<uint32_t>(state.range(0));
  TBenchArchive archive(static_cast<uint32_t>((32u << 20) / entrySize), entrySize);
  TPak pak;
  auto hostPath = HostPathFromWindows(archive.Path());
  if (!pak.Create(archive.Path()) || !hostPath) {
    state.SkipWithError("cannot open the archive");
    return;
  }
  const auto entries = FloorEntries(pak, TFloorSelection::VerifiedEntries);
  for (auto _ : state) benchmark::DoNotOptimize(RunStreamFloor(*hostPath, entries, true));
  state.SetBytesProcessed(state.iterations() * archive.TotalBytes());
}
BENCHMARK(BM_InflateCrcFloor)->Arg(64 << 10)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

// --- The same two on a built setup ---------------------------------------------

// The bytes both measures handle: the sizes of the entries verification reads.
int64_t VerifiedBytes(const TPak& pak) {
  int64_t bytes = 0;
  for (const TFloorEntry& entry : FloorEntries(pak, TFloorSelection::VerifiedEntries)) bytes += entry.Size;
  return bytes;
}

void BM_VerifySetup(benchmark::State& state, const std::string& hostPath) {
  auto windowsPath = WindowsPathFromHost(hostPath);
  TPak pak;
  if (!windowsPath || !pak.Create(*windowsPath) || !pak.IsValid()) {
    state.SkipWithError("cannot open the setup");
    return;
  }
  for (auto _ : state) {
    if (VerifyArchive(pak).FailedIndex) state.SkipWithError("verification failed");
  }
  state.SetBytesProcessed(state.iterations() * VerifiedBytes(pak));
}

void BM_InflateCrcFloorSetup(benchmark::State& state, const std::string& hostPath) {
  auto windowsPath = WindowsPathFromHost(hostPath);
  TPak pak;
  if (!windowsPath || !pak.Create(*windowsPath) || !pak.IsValid()) {
    state.SkipWithError("cannot open the setup");
    return;
  }
  const auto entries = FloorEntries(pak, TFloorSelection::VerifiedEntries);
  for (auto _ : state) benchmark::DoNotOptimize(RunStreamFloor(hostPath, entries, true));
  state.SetBytesProcessed(state.iterations() * VerifiedBytes(pak));
}

// Wall-clock time, so that verification spread over threads would count as
// the user sees it.
const bool kSetupBenchmarksRegistered = [] {
  const char* setup = std::getenv("TAILPACK_BENCH_SETUP");
  if (setup == nullptr || *setup == '\0') return false;
  benchmark::RegisterBenchmark("BM_VerifyArchive/setup", BM_VerifySetup, std::string(setup))
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("BM_InflateCrcFloor/setup", BM_InflateCrcFloorSetup, std::string(setup))
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  return true;
}();

void BM_ExtractGroup(benchmark::State& state) {
  const auto entrySize = static_cast<uint32_t>(state.range(0));
  TBenchArchive archive(static_cast<uint32_t>((32u << 20) / entrySize), entrySize);
  TPak pak;
  if (!pak.Create(archive.Path())) {
    state.SkipWithError("cannot open the archive");
    return;
  }
  const std::string out = archive.Folder() + "\\out";
  for (auto _ : state) {
    TStatus status = pak.ExtractGroup(out, 1);
    if (!status) state.SkipWithError(status.Message().c_str());
    state.PauseTiming();
    DeleteTree(out);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * archive.TotalBytes());
}
BENCHMARK(BM_ExtractGroup)->Arg(64 << 10)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

void BM_ExtractLargeFile(benchmark::State& state) {
  // A raw entry just above the large-file limit, copied in 25 MiB chunks.
  auto folder = Files().CreatePrivateFolder(Files().TempFolder());
  if (!folder) {
    state.SkipWithError("cannot create a temporary folder");
    return;
  }
  const std::string archivePath = *folder + "\\large.pak";
  {
    TPackedEntry raw;
    raw.Stored = EntryBytes(kLargeFileLimit, 3, false);
    raw.Size = kLargeFileLimit;
    TPak writer;
    if (!writer.Create(archivePath, true, false) || !writer.WritePacked(writer.AddFile("large.bin", "", 1), raw) ||
        !writer.WriteHeader()) {
      state.SkipWithError("cannot write the archive");
      DeleteTree(*folder);
      return;
    }
  }
  TPak pak;
  pak.Create(archivePath);
  const std::string target = *folder + "\\large.out";
  for (auto _ : state) {
    TStatus status = pak.ExtractLargeFile(target, "large.bin", kLargeFileLimit, 0);
    if (!status) state.SkipWithError(status.Message().c_str());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kLargeFileLimit));
  pak.Close();
  DeleteTree(*folder);
}
BENCHMARK(BM_ExtractLargeFile)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tailpack
