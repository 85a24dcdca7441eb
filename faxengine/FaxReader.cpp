#include "faxengine/FaxReader.h"

#include "platform/FileSystem.h"

#include <cstdio>

namespace {

// Reads a whole file of at most limit bytes; false when it cannot be read in
// full or is larger.
bool ReadWholeFile(const std::string& path, std::uint64_t limit, std::vector<std::uint8_t>& out) {
  // A FIFO or device would block the open or report no real size.
  if (!platform::IsRegularFile(path))
    return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file)
    return false;
  bool ok = std::fseek(file, 0, SEEK_END) == 0;
  long size = ok ? std::ftell(file) : -1;
  ok = ok && size >= 0 && static_cast<std::uint64_t>(size) <= limit &&
       std::fseek(file, 0, SEEK_SET) == 0;
  if (ok) {
    out.resize(static_cast<std::size_t>(size));
    ok = std::fread(out.data(), 1, out.size(), file) == out.size();
  }
  std::fclose(file);
  if (!ok)
    out.clear();
  return ok;
}

} // namespace

void FaxReader::Open(const std::string& path) {
  Close();
  open_ = ReadWholeFile(path, kMaxFileBytes, bytes_);
}

void FaxReader::OpenMemory(std::span<const std::uint8_t> bytes) {
  Close();
  open_ = bytes.size() <= kMaxFileBytes;
  if (open_)
    bytes_.assign(bytes.begin(), bytes.end());
}

void FaxReader::Close() {
  open_ = false;
  bytes_.clear();
  bytes_.shrink_to_fit();
}

int FaxReader::AddPageOffset(std::uint32_t offset) {
  if (pageOffsets_.size() >= kMaxPages)
    return -1;
  pageOffsets_.push_back(offset);
  return 0;
}

std::uint32_t FaxReader::PageOffset(std::size_t index) const {
  return index < pageOffsets_.size() ? pageOffsets_[index] : 0;
}
