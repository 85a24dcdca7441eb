// The common base of every fax format reader: the document's bytes, read
// once into memory so that every parser works through a bounds-checked
// ByteReader, a page-offset table and a work buffer for page data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class FaxReader {
public:
  // Files above this size are not fax documents; refusing them bounds the
  // memory a reader takes for one document.
  static constexpr std::uint64_t kMaxFileBytes = 256u * 1024 * 1024;
  // TIFF PageNumber and the engine's page count hold 16 bits.
  static constexpr std::size_t kMaxPages = 65535;

  FaxReader() = default;
  virtual ~FaxReader() = default;
  FaxReader(const FaxReader&) = delete;
  FaxReader& operator=(const FaxReader&) = delete;

  // Closes the current file and reads the whole new one; IsOpen() tells
  // whether that worked (a missing, unreadable or oversized file does not).
  void Open(const std::string& path);
  // Takes the document's bytes from memory instead (fuzzing, tests).
  void OpenMemory(std::span<const std::uint8_t> bytes);
  bool IsOpen() const { return open_; }
  // Idempotent; keeps the page table so that a closed reader still knows
  // how many pages it counted.
  void Close();

  std::uint32_t FileSize() const { return static_cast<std::uint32_t>(bytes_.size()); }
  std::span<const std::uint8_t> Bytes() const { return bytes_; }

  // Appends one page offset; -1 (table unchanged) when kMaxPages are stored.
  int AddPageOffset(std::uint32_t offset);
  // Offset of page index, or 0 when index is not below the page count.
  std::uint32_t PageOffset(std::size_t index) const;
  std::uint16_t PageCount() const { return static_cast<std::uint16_t>(pageOffsets_.size()); }
  void ClearPageOffsets() { pageOffsets_.clear(); }

protected:
  // Page data gathered for writing or decoding; owned by the reader.
  std::vector<std::uint8_t>& WorkBuffer() { return work_; }
  const std::vector<std::uint8_t>& WorkBuffer() const { return work_; }

private:
  std::vector<std::uint8_t> bytes_;
  std::vector<std::uint32_t> pageOffsets_;
  std::vector<std::uint8_t> work_;
  bool open_ = false;
};
