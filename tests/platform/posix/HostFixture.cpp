#include "platform/posix/HostFixture.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace tailpack::test {

namespace {

int RemoveEntry(const char* path, const struct stat*, int, FTW*) {
  // Read-only files and folders go too: the tests make some on purpose.
  chmod(path, 0700);
  return remove(path);
}

std::string HostTempBase() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

// Keeps the whole test program away from the user's real drive C: folder and
// registry file: the shared tests reach the native platform without setting
// anything themselves.
class TIsolatedPlatform : public ::testing::Environment {
 public:
  void SetUp() override {
    // A death-test child started afresh inherits the parent's variables and
    // uses its folder: it may end with _exit, which would leave its own behind.
    if (!GTEST_FLAG_GET(internal_run_death_test).empty() && std::getenv("TAILPACK_REGISTRY")) return;
    folder_ = std::make_unique<THostFolder>();
    MakeHostFolder(*folder_ / "c");
    setenv("TAILPACK_DRIVES", ("C=" + (*folder_ / "c")).c_str(), 1);
    setenv("TAILPACK_REGISTRY", (*folder_ / "registry.reg").c_str(), 1);
  }
  void TearDown() override { folder_.reset(); }

 private:
  std::unique_ptr<THostFolder> folder_;
};

[[maybe_unused]] ::testing::Environment* const kIsolatedPlatform =
    ::testing::AddGlobalTestEnvironment(std::make_unique<TIsolatedPlatform>().release());

}  // namespace

THostFolder::THostFolder() {
  std::string model = HostTempBase() + "/tailpack-host-XXXXXX";
  if (!mkdtemp(model.data())) throw std::runtime_error("cannot create a host folder for the test");
  path_ = model;
}

THostFolder::~THostFolder() { nftw(path_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

TScopedVariable::TScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
  if (const char* old = std::getenv(name)) saved_ = old;
  if (value) setenv(name, value->c_str(), 1);
  else unsetenv(name);
}

TScopedVariable::~TScopedVariable() {
  if (saved_) setenv(name_.c_str(), saved_->c_str(), 1);
  else unsetenv(name_.c_str());
}

void WriteHostFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

bool HostExists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

void MakeHostFolder(const std::string& path) { mkdir(path.c_str(), 0755); }

PosixDrivesTest::PosixDrivesTest()
    : drives_("TAILPACK_DRIVES", "C=" + (root_ / "c") + ";D=" + (root_ / "cd") + ":cdrom"),
      registry_("TAILPACK_REGISTRY", root_ / "registry.reg") {
  MakeHostFolder(root_ / "c");
  MakeHostFolder(root_ / "cd");
}

}  // namespace tailpack::test
