// Builder throughput: writing a setup from a plan of many source files with
// 1, 2 and 4 packing threads. Bytes per second are uncompressed source bytes.

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>

#include "builder/SetupPlan.h"
#include "builder/SetupWriter.h"
#include "platform/Platform.h"
#include "system/FileHelpers.h"

namespace tailpack {
namespace {

// A script folder with a payload of Count files of Size bytes (text-like
// bytes, so packing has real work to do).
class TBenchScript {
 public:
  TBenchScript(int count, uint32_t size) {
    auto folder = Files().CreatePrivateFolder(Files().TempFolder());
    if (!folder) throw std::runtime_error("cannot create a temporary folder");
    folder_ = *folder;
    CreateFolderChain(folder_ + "\\payload", nullptr);
    std::string text;
    for (uint32_t i = 0; text.size() < size; ++i) text += "line " + std::to_string(i * 7919 % 104729) + " of the payload\r\n";
    text.resize(size);
    for (int i = 0; i < count; ++i) {
      std::string path = folder_ + "\\payload\\file" + std::to_string(i) + ".txt";
      text[0] = static_cast<char>('a' + i % 26);
      if (!WriteWholeFile(path, reinterpret_cast<const uint8_t*>(text.data()), size)) throw std::runtime_error("write");
      totalBytes_ += size;
    }
    std::string script = "name Bench\nfile payload\\\n";
    if (!WriteWholeFile(folder_ + "\\setup.tps", reinterpret_cast<const uint8_t*>(script.data()),
                        static_cast<uint32_t>(script.size())))
      throw std::runtime_error("write");
  }
  ~TBenchScript() { DeleteTree(folder_); }
  TBenchScript(const TBenchScript&) = delete;
  TBenchScript& operator=(const TBenchScript&) = delete;

  std::string Script() const { return folder_ + "\\setup.tps"; }
  std::string Output() const { return folder_ + "\\out.pak"; }
  int64_t TotalBytes() const { return totalBytes_; }

 private:
  std::string folder_;
  int64_t totalBytes_ = 0;
};

void BM_BuildSetup(benchmark::State& state) {
  TBenchScript source(64, 1 << 20);
  TSetupPlan plan = PlanSetup(source.Script());
  if (!plan.Ok()) throw std::runtime_error("the bench script has errors");
  TWriteOptions options{"", source.Output(), static_cast<unsigned>(state.range(0)), {}, {}};
  for (auto _ : state) {
    if (!WriteSetup(plan, options)) throw std::runtime_error("the build failed");
  }
  state.SetBytesProcessed(state.iterations() * source.TotalBytes());
}
BENCHMARK(BM_BuildSetup)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tailpack
