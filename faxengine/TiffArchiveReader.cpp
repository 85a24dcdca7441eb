#include "faxengine/TiffArchiveReader.h"

#include "faxengine/FaxTiffWriter.h"
#include "faxengine/TiffFaxReader.h"
#include "faxformats/ByteReader.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::size_t kHeaderBytes = 280;
constexpr std::size_t kArchiveNameOffset = 6;
constexpr std::size_t kRecordBytes = 55;
constexpr std::size_t kEntryNameBytes = 47; // the field in front of the two lengths
constexpr std::size_t kPayloadLengthOffset = 47;
constexpr std::size_t kPrefixLengthOffset = 51;

// The text up to the first zero byte of field; nothing when none ends it.
std::optional<std::string_view> TerminatedText(std::span<const std::uint8_t> field) {
  auto zero = std::find(field.begin(), field.end(), std::uint8_t(0));
  if (zero == field.end())
    return std::nullopt;
  return std::string_view(reinterpret_cast<const char*>(field.data()),
                          std::size_t(zero - field.begin()));
}

bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file)
    return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

} // namespace

int TiffArchiveReader::Detect() {
  if (!IsOpen())
    return -1;
  auto header = ByteReader(Bytes()).slice(0, kHeaderBytes);
  auto name = header ? TerminatedText(header->subspan(kArchiveNameOffset)) : std::nullopt;
  if (!name || (*header)[0] != 0xFD || (*header)[1] != 0xCA) {
    FaxReader::Close();
    return -2;
  }
  archiveName_ = *name;
  return 0;
}

std::optional<TiffArchiveReader::Entry> TiffArchiveReader::EntryAt(std::size_t offset) const {
  ByteReader reader(Bytes());
  auto record = reader.slice(offset, kRecordBytes);
  if (!record)
    return std::nullopt;
  ByteReader fields(*record);
  const std::uint32_t payloadLength = *fields.u32At(kPayloadLengthOffset);
  const std::uint32_t prefixLength = *fields.u32At(kPrefixLengthOffset);
  const std::size_t payload = offset + kRecordBytes;
  Entry entry;
  entry.name = TerminatedText(record->first(kEntryNameBytes));
  entry.payloadInFile = reader.contains(payload, payloadLength);
  entry.end = payload + payloadLength;
  if (entry.payloadInFile && prefixLength <= payloadLength)
    entry.tiff = reader.slice(payload + prefixLength, payloadLength - prefixLength);
  return entry;
}

std::uint16_t TiffArchiveReader::CountPages() {
  ClearPageOffsets();
  damaged_ = false;
  // Every step moves on by at least one record, so the walk ends.
  std::size_t offset = kHeaderBytes;
  while (offset < FileSize()) {
    auto entry = EntryAt(offset);
    if (!entry) {
      damaged_ = true; // the file ends inside a record: pages may be missing
      break;
    }
    if (entry->name && *entry->name == archiveName_)
      break;
    if (AddPageOffset(static_cast<std::uint32_t>(offset)) != 0) {
      damaged_ = true;
      break;
    }
    damaged_ = damaged_ || !entry->Whole();
    if (!entry->payloadInFile)
      break;
    offset = entry->end;
  }
  return PageCount();
}

TiffArchiveReader::Joined TiffArchiveReader::JoinEntry(std::span<const std::uint8_t> tiff,
                                                       const std::string& workPath,
                                                       const std::string& tiffPath,
                                                       const char* mode) {
  if (!WriteWholeFile(workPath, tiff))
    return Joined::WorkFileFailed;
  const int copied = TiffFaxReader::CopyTiff(workPath, tiffPath, mode);
  platform::RemoveFileQuietly(workPath);
  if (copied == 0)
    return Joined::Whole;
  // The work file just written cannot be read back, or the joined TIFF
  // cannot be written: a fault of the work folder, not of the entry.
  if (copied == -1 || copied == TiffFaxReader::kOutputUnwritable)
    return Joined::WorkFileFailed;
  return Joined::EntryFailed;
}

int TiffArchiveReader::JoinEntries(const std::string& tiffPath) {
  const std::string workPath = tiffPath + ".tiff";
  bool joinedAny = false;
  for (std::uint16_t index = 0; index < PageCount(); ++index) {
    // A damaged document fails whatever else is joined; one page is enough
    // for it to be judged a fax, and so reported as an error.
    if (damaged_ && joinedAny)
      break;
    auto entry = EntryAt(PageOffset(index));
    if (!entry || !entry->Whole()) {
      damaged_ = true;
      continue;
    }
    // Until one entry is joined whole, each starts the TIFF afresh.
    const Joined joined = JoinEntry(*entry->tiff, workPath, tiffPath, joinedAny ? "r+b" : "wb");
    if (joined == Joined::WorkFileFailed) {
      platform::RemoveFileQuietly(workPath);
      return kEngineWorkFileFailed;
    }
    damaged_ = damaged_ || joined == Joined::EntryFailed;
    joinedAny = joinedAny || joined == Joined::Whole;
  }
  return 0;
}

int TiffArchiveReader::Identify(const std::string& path, ConversionSettings& settings,
                                bool& recognised) {
  // A TIFF left by an earlier document must never pass for this one's.
  platform::RemoveFileQuietly(settings.engineTiffPath);
  Open(path);
  if (!IsOpen())
    return -1;
  if (Detect() != 0)
    return 0;
  settings.pageCount = CountPages();
  int result = JoinEntries(settings.engineTiffPath);
  // The TIFF reader holds the joined document in memory from here on.
  if (result == 0)
    result = TiffDocument::Identify(settings.engineTiffPath, settings, recognised);
  platform::RemoveFileQuietly(settings.engineTiffPath);
  return result;
}

int TiffArchiveReader::WriteTiff(const std::string& outputPath, const ConversionSettings& settings,
                                 const PageRaster& firstPage) {
  if (!IsOpen())
    return -1;
  if (damaged_)
    return kFaxPageUnreadable;
  return TiffDocument::WriteTiff(outputPath, settings, firstPage);
}

void TiffArchiveReader::Close() {
  FaxReader::Close();
  TiffDocument::Close();
}
