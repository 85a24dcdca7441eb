#include "samples/writers/QliifaxFile.h"

#include "samples/writers/ByteWriter.h"

#include <algorithm>

std::vector<std::uint8_t> QliifaxFile(const std::vector<std::vector<std::uint8_t>>& pages,
                                          const QliifaxLayout& layout) {
  ByteWriter file;
  file.text("QLIIFAX", 8);
  file.u16le(static_cast<std::uint16_t>(pages.size()));
  file.u16le(layout.lastPageLines);
  file.u32le(layout.pageLines);
  file.u16le(layout.resolutionCode);
  file.padTo(kQliifaxHeaderSize);
  const std::size_t tabled = std::min(pages.size(), kQliifaxOffsetSlots);
  for (std::size_t page = 0; page < tabled; ++page) {
    file.putU32le(kQliifaxOffsetsAt + 4 * page, static_cast<std::uint32_t>(file.size()));
    file.append(pages[page]);
  }
  return file.bytes();
}
