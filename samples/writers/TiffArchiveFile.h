// Archives of whole TIFF files: a 280-byte header (bytes FD CA, the
// archive's name at offset 6), then one entry per file, each a 55-byte
// record (the entry's name, the payload length at 47, the length of a
// prefix at the payload's start at 51, little-endian) and its payload. An
// entry that repeats the archive's name ends the archive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr std::size_t kTiffArchiveHeaderBytes = 280;
inline constexpr std::size_t kTiffArchiveRecordBytes = 55;
inline constexpr std::size_t kTiffArchiveNameOffset = 6;
inline constexpr std::size_t kTiffArchivePayloadLengthOffset = 47; // within a record
inline constexpr std::size_t kTiffArchivePrefixLengthOffset = 51;  // within a record

struct TiffArchiveEntry {
  std::string name;                 // at most 46 characters are kept
  std::vector<std::uint8_t> prefix; // stored before the file, skipped by readers
  std::vector<std::uint8_t> file;   // a whole TIFF file, or whatever a test puts there
};

enum class TiffArchiveEnd {
  NameEntry, // a closing entry with the archive's name and no payload
  FileEnd,   // the file ends behind the last entry
};

std::vector<std::uint8_t> TiffArchiveFile(const std::string& archiveName,
                                          const std::vector<TiffArchiveEntry>& entries,
                                          TiffArchiveEnd end = TiffArchiveEnd::NameEntry);
