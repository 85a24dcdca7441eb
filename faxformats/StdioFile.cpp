#include "faxformats/StdioFile.h"

#include <limits>

namespace {

bool SeekTo(std::FILE* file, std::uint64_t offset) {
  if (!file || offset > static_cast<std::uint64_t>(std::numeric_limits<long>::max()))
    return false;
  return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

} // namespace

bool ReadAt(std::FILE* file, std::uint64_t offset, std::span<std::uint8_t> bytes) {
  if (!SeekTo(file, offset))
    return false;
  return std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool WriteAt(std::FILE* file, std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (!SeekTo(file, offset))
    return false;
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

std::uint64_t StdioFileSize(std::FILE* file) {
  if (!file || std::fseek(file, 0, SEEK_END) != 0)
    return 0;
  long end = std::ftell(file);
  return end < 0 ? 0 : static_cast<std::uint64_t>(end);
}
