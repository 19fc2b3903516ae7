// tailpack_payload: writes the benchmark payloads, the same bytes for the same
// seed on every machine and every run.
//
//   tailpack_payload mixed  FOLDER [--seed N] [--scale F]
//   tailpack_payload flat   FOLDER [--seed N] [--scale F]
//   tailpack_payload nested FOLDER [--seed N] [--scale F]
//
// mixed: 20 text files of about 5 MB, five incompressible blobs of 12 MB and
// 2,000 small files of 100 bytes to 16 KiB spread over 50 folders (2,025
// files, about 168 MiB). flat: 4,000 files of 2 KiB in one folder. nested:
// the same 4,000 files in 40 folders of 100. --scale multiplies the numbers
// of files (at least one of each kind), never their sizes, for quick runs.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "payload/PayloadContent.h"

namespace tailpack {
namespace {

namespace fs = std::filesystem;

struct TOptions {
  std::string Kind;
  fs::path Folder;
  uint64_t Seed = kDefaultPayloadSeed;
  double Scale = 1.0;
};

struct TTally {
  uint64_t Files = 0;
  uint64_t Bytes = 0;
};

void WriteFile(const fs::path& path, const std::string& bytes, TTally& tally) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
  ++tally.Files;
  tally.Bytes += bytes.size();
}

uint32_t Scaled(uint32_t count, double scale) {
  return std::max<uint32_t>(1, static_cast<uint32_t>(std::llround(count * scale)));
}

// Every file's bytes come from its own stream (seed, kind, index), so no file
// depends on the order in which the others are written.
enum TStream : uint64_t { kTextStream = 1, kBlobStream = 2, kSmallStream = 3, kManyStream = 4 };

void WriteMixed(const TOptions& options, TTally& tally) {
  const TTextMaker text(options.Seed);
  const uint32_t texts = Scaled(20, options.Scale);
  for (uint32_t i = 0; i < texts; ++i) {
    TRandom random(options.Seed, kTextStream, i);
    const size_t size = 4500000 + random.Below(1000001);  // about 5 MB
    WriteFile(options.Folder / "text" / NumberedName("document", i, 2, ".txt"), text.Make(random, size), tally);
  }
  const uint32_t blobs = Scaled(5, options.Scale);
  for (uint32_t i = 0; i < blobs; ++i) {
    TRandom random(options.Seed, kBlobStream, i);
    WriteFile(options.Folder / "media" / NumberedName("blob", i, 1, ".bin"), NoiseBytes(random, 12000000), tally);
  }
  // 10 folders of 5 subfolders each; small files are half text, half binary.
  const uint32_t smalls = Scaled(2000, options.Scale);
  for (uint32_t i = 0; i < smalls; ++i) {
    TRandom random(options.Seed, kSmallStream, i);
    const size_t size = 100 + random.Below(16384 - 100 + 1);
    const uint32_t folder = i % 50;
    fs::path path = options.Folder / "data" / NumberedName("area", folder / 5, 2, "") /
                    NumberedName("set", folder % 5, 1, "") / NumberedName("item", i, 4, i % 2 ? ".bin" : ".cfg");
    WriteFile(path, i % 2 ? NoiseBytes(random, size) : text.Make(random, size), tally);
  }
}

// The many-files case: the same names and bytes, in one folder or in folders of 100.
void WriteManyFiles(const TOptions& options, bool nested, TTally& tally) {
  const TTextMaker text(options.Seed);
  const uint32_t files = Scaled(4000, options.Scale);
  for (uint32_t i = 0; i < files; ++i) {
    TRandom random(options.Seed, kManyStream, i);
    fs::path folder = nested ? options.Folder / NumberedName("folder", i / 100, 2, "") : options.Folder;
    WriteFile(folder / NumberedName("file", i, 4, ".dat"), text.Make(random, 2048), tally);
  }
}

[[noreturn]] void Usage(int code) {
  std::fputs(
      "Usage: tailpack_payload mixed|flat|nested FOLDER [--seed N] [--scale F]\n"
      "Writes a deterministic benchmark payload into FOLDER (created as needed;\n"
      "existing files of the same names are overwritten).\n"
      "  mixed   20 text files of about 5 MB, 5 incompressible blobs of 12 MB,\n"
      "          2,000 small files of 100 B to 16 KiB in 50 folders\n"
      "  flat    4,000 files of 2 KiB in one folder\n"
      "  nested  the same 4,000 files in 40 folders of 100\n"
      "  --seed N   another payload of the same shape (default 12)\n"
      "  --scale F  multiply the numbers of files by F (at least one of each kind)\n",
      code == 0 ? stdout : stderr);
  std::exit(code);
}

TOptions ParseOptions(int argc, char** argv) {
  std::vector<std::string> positional;
  TOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument == "--help" || argument == "-h") Usage(0);
    if ((argument == "--seed" || argument == "--scale") && i + 1 < argc) {
      char* end = nullptr;
      const char* value = argv[++i];
      if (argument == "--seed")
        options.Seed = std::strtoull(value, &end, 10);
      else
        options.Scale = std::strtod(value, &end);
      if (end == value || *end != '\0' || options.Scale <= 0) Usage(2);
      continue;
    }
    if (argument.rfind("--", 0) == 0) Usage(2);
    positional.push_back(argument);
  }
  if (positional.size() != 2) Usage(2);
  options.Kind = positional[0];
  options.Folder = positional[1];
  if (options.Kind != "mixed" && options.Kind != "flat" && options.Kind != "nested") Usage(2);
  return options;
}

}  // namespace
}  // namespace tailpack

int main(int argc, char** argv) {
  using namespace tailpack;
  TOptions options = ParseOptions(argc, argv);
  TTally tally;
  try {
    if (options.Kind == "mixed")
      WriteMixed(options, tally);
    else
      WriteManyFiles(options, options.Kind == "nested", tally);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "tailpack_payload: %s\n", failure.what());
    return 1;
  }
  std::printf("%s: %llu files, %llu bytes (%.1f MiB) in %s\n", options.Kind.c_str(),
              static_cast<unsigned long long>(tally.Files), static_cast<unsigned long long>(tally.Bytes),
              static_cast<double>(tally.Bytes) / (1024.0 * 1024.0), options.Folder.string().c_str());
  return 0;
}
