#include "samples/writers/TiffArchiveFile.h"

#include "samples/writers/ByteWriter.h"

namespace {

constexpr std::size_t kNameField = kTiffArchivePayloadLengthOffset;

void WriteEntry(ByteWriter& archive, const std::string& name,
                const std::vector<std::uint8_t>& prefix, const std::vector<std::uint8_t>& file) {
  // The name keeps its terminating zero inside the field.
  archive.text(name.substr(0, kNameField - 1), kNameField);
  archive.u32le(static_cast<std::uint32_t>(prefix.size() + file.size()));
  archive.u32le(static_cast<std::uint32_t>(prefix.size()));
  archive.append(prefix);
  archive.append(file);
}

} // namespace

std::vector<std::uint8_t> TiffArchiveFile(const std::string& archiveName,
                                          const std::vector<TiffArchiveEntry>& entries,
                                          TiffArchiveEnd end) {
  ByteWriter archive;
  archive.u8(0xFD);
  archive.u8(0xCA);
  archive.putText(kTiffArchiveNameOffset,
                  archiveName.substr(0, kTiffArchiveHeaderBytes - kTiffArchiveNameOffset - 1));
  archive.padTo(kTiffArchiveHeaderBytes);
  for (const TiffArchiveEntry& entry : entries)
    WriteEntry(archive, entry.name, entry.prefix, entry.file);
  if (end == TiffArchiveEnd::NameEntry)
    WriteEntry(archive, archiveName, {}, {});
  return archive.bytes();
}
