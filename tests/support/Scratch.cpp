#include "support/Scratch.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

namespace testing_support {

ScratchFolder::ScratchFolder() {
  const char* root = std::getenv("TARVELO_TEST_TMP");
  std::string base = root && *root ? root : std::filesystem::temp_directory_path().string();
  std::filesystem::create_directories(base);
  std::string pattern = base + "/t-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!::mkdtemp(buffer.data()))
    throw std::runtime_error("cannot create a scratch folder below " + base);
  path_ = buffer.data();
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out)
    throw std::runtime_error("cannot write " + path);
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

std::string CorpusFolder() {
  std::error_code ignored;
  std::string folder = TARVELO_CORPUS_DIR;
  return std::filesystem::is_directory(folder, ignored) ? folder : std::string();
}

} // namespace testing_support
