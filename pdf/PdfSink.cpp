#include "pdf/PdfSink.h"

namespace pdf {

namespace {
// Small writes are gathered so that one page costs few stdio calls.
constexpr std::size_t kBufferLimit = 1 << 16;
} // namespace

void PdfSink::Write(std::string_view text) { Append(text.data(), text.size()); }

void PdfSink::Write(std::span<const std::uint8_t> bytes) {
  Append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void PdfSink::Append(const char* data, std::size_t size) {
  total_ += size;
  if (failed_)
    return;
  if (buffer_.size() + size <= kBufferLimit) {
    buffer_.append(data, size);
    return;
  }
  if (!Flush())
    return;
  if (size <= kBufferLimit) {
    buffer_.append(data, size);
    return;
  }
  if (std::fwrite(data, 1, size, file_) != size)
    failed_ = true;
}

bool PdfSink::Flush() {
  if (failed_)
    return false;
  if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
    failed_ = true;
  buffer_.clear();
  return !failed_;
}

} // namespace pdf
