// Archives of whole TIFF fax files. The entries are joined, page by page,
// into the engine's intermediate TIFF, which is then read as a TIFF fax
// document.
#pragma once

#include "faxengine/FaxReader.h"
#include "faxengine/TiffDocument.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

class TiffArchiveReader final : public FaxReader, public TiffDocument {
public:
  // 0 when the open file starts with FD CA and a header holding a
  // zero-terminated archive name; -1 no file; -2 otherwise (file closed).
  int Detect();
  // Records the offset of every entry that is a page, up to the entry named
  // like the archive or the end of the file. An entry record cut short, a
  // payload or prefix that runs past its bounds, a name without its zero,
  // or more entries than kMaxPages make the archive damaged.
  std::uint16_t CountPages();
  // True when a page entry is damaged or could not be converted: the
  // document cannot be written whole.
  bool Damaged() const { return damaged_; }

  // Joins the entries into settings.engineTiffPath (with a work file named
  // after it plus ".tiff", removed again) and reads that as a TIFF fax.
  int Identify(const std::string& path, ConversionSettings& settings, bool& recognised) override;
  int WriteTiff(const std::string& outputPath, const ConversionSettings& settings,
                const PageRaster& firstPage) override;
  void Close() override;

private:
  struct Entry {
    std::optional<std::string_view> name; // nothing when no zero ends it in its field
    std::size_t end = 0;                  // offset behind the payload
    bool payloadInFile = false;
    std::optional<std::span<const std::uint8_t>> tiff; // the payload less its prefix
    bool Whole() const { return name && tiff; }
  };
  // The entry whose record starts at offset; nothing when the record is cut short.
  std::optional<Entry> EntryAt(std::size_t offset) const;
  // 0, or kEngineWorkFileFailed when a work file could not be written.
  int JoinEntries(const std::string& tiffPath);
  enum class Joined { Whole, EntryFailed, WorkFileFailed };
  static Joined JoinEntry(std::span<const std::uint8_t> tiff, const std::string& workPath,
                          const std::string& tiffPath, const char* mode);

  std::string archiveName_;
  bool damaged_ = false;
};
