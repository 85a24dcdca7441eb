#include "samples/writers/BitFaxFile.h"

#include "samples/writers/ByteWriter.h"

#include <algorithm>

std::vector<std::uint8_t> BitFaxFile(const std::vector<BitFaxPage>& pages,
                                         std::uint8_t resolutionCode) {
  ByteWriter file;
  file.text("BIT  FAX", 8);
  file.putU16le(kBitFaxPageCountAt, static_cast<std::uint16_t>(pages.size()));
  file.putU8(14, resolutionCode);
  file.padTo(kBitFaxHeaderSize);
  const std::size_t entries = std::min(pages.size(), kBitFaxEntrySlots);
  for (std::size_t page = 0; page < entries; ++page) {
    const std::size_t entry = kBitFaxEntriesAt + page * kBitFaxEntrySize;
    file.putU16le(entry, pages[page].width);
    file.putU16le(entry + 2, pages[page].lines);
    file.putU32le(entry + kBitFaxDataLengthAt,
                  static_cast<std::uint32_t>(pages[page].coded.size()));
    file.putU32le(entry + kBitFaxDataOffsetAt, static_cast<std::uint32_t>(file.size()));
    file.append(pages[page].coded);
  }
  return file.bytes();
}
