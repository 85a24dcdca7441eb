#include "platform/TemporaryFile.h"

#include "platform/Paths.h"

#include <cstdint>
#include <random>

namespace platform {

TemporaryFile CreateTemporaryBeside(const std::string& destination) {
  const std::string folder = FolderOf(destination);
  const std::string prefix =
      (folder.empty() ? std::string() : folder + kSeparator) + "." + FileNameOf(destination) + ".";
  std::random_device device;
  std::mt19937_64 random((static_cast<std::uint64_t>(device()) << 32) ^ device());
  for (int attempt = 0; attempt < 64; ++attempt) {
    TemporaryFile temporary;
    temporary.path = prefix + std::to_string(random() % 1000000000000ULL) + ".tmp";
    temporary.file = std::fopen(temporary.path.c_str(), "wbx");
    if (temporary.file != nullptr)
      return temporary;
  }
  return {};
}

} // namespace platform
