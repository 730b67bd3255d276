// The main of every test program: the C locale, and for every test a registry folder and a
// Windows folder of its own, so no test sees another's settings or the user's.
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <memory>

namespace {

class IsolatedFolders : public testing::EmptyTestEventListener {
public:
  void OnTestStart(const testing::TestInfo&) override {
    dir_ = std::make_unique<vexa::test::TempDir>();
    ::setenv("VEXA_REGISTRY_DIR", (*dir_ / "registry").c_str(), 1);
    ::setenv("VEXA_WINDOWS_DIR", (*dir_ / "windows").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (*dir_ / "cache").c_str(), 1);
  }
  void OnTestEnd(const testing::TestInfo&) override { dir_.reset(); }

private:
  std::unique_ptr<vexa::test::TempDir> dir_;
};

} // namespace

// A GUI test program may define this to create its QApplication before the tests run.
__attribute__((weak)) void VexaTestSetUp(int& argc, char** argv);

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C");
  ::setenv("LC_ALL", "C", 1);
  testing::InitGoogleTest(&argc, argv);
  if (VexaTestSetUp) VexaTestSetUp(argc, argv);
  std::setlocale(LC_ALL, "C"); // a toolkit may have set the locale from the environment
  testing::UnitTest::GetInstance()->listeners().Append(new IsolatedFolders);
  return RUN_ALL_TESTS();
}
