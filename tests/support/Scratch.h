// Scratch folders and small file helpers for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A fresh folder for one test, removed with everything in it at the end.
class ScratchFolder {
public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// The shared corpus folder, or "" when this checkout has none beside it.
std::string CorpusFolder();

} // namespace testing_support

// Skips the current test with a clear message when the corpus is absent.
#define REQUIRE_CORPUS()                                                                           \
  do {                                                                                             \
    if (::testing_support::CorpusFolder().empty())                                                 \
      GTEST_SKIP() << "the shared fax corpus is not beside this checkout";                         \
  } while (0)
