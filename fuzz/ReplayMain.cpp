// Without libFuzzer a fuzz target becomes a replay program: it runs the
// target once over every file below the folders or files it is given.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

static void RunOne(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

int main(int argc, char** argv) {
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    std::filesystem::path root(argv[i]);
    std::error_code error;
    if (std::filesystem::is_regular_file(root, error)) {
      RunOne(root);
      ++count;
      continue;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error)) {
      if (entry.is_regular_file()) {
        RunOne(entry.path());
        ++count;
      }
    }
  }
  std::printf("replayed %d inputs\n", count);
  return 0;
}
