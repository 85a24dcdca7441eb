// The byte sink of the PDF writer: every byte goes through it, and its running
// count is the file offset that cross-reference entries record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace pdf {

class PdfSink {
public:
  // The sink does not own the file; Flush() before closing it.
  explicit PdfSink(std::FILE* file) : file_(file) {}
  ~PdfSink() = default;
  PdfSink(const PdfSink&) = delete;
  PdfSink& operator=(const PdfSink&) = delete;

  void Write(std::string_view text);
  void Write(std::span<const std::uint8_t> bytes);

  // Bytes written so far: the offset of the next byte in the file.
  std::uint64_t Total() const { return total_; }
  // True once a write to the file has failed; later writes are dropped.
  bool Failed() const { return failed_; }
  bool Flush();

private:
  void Append(const char* data, std::size_t size);

  std::FILE* file_;
  std::string buffer_;
  std::uint64_t total_ = 0;
  bool failed_ = false;
};

} // namespace pdf
