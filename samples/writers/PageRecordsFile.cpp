#include "samples/writers/PageRecordsFile.h"

#include "samples/writers/ByteWriter.h"

namespace page_records {

std::vector<std::uint8_t> File(const std::vector<Page>& pages) {
  constexpr std::uint8_t kPaddingUnit = 16;
  ByteWriter out;
  for (const Page& page : pages) {
    const std::size_t header = out.size();
    out.u8(0x0B);
    out.u8('#');
    out.u8(0);
    out.u16le(page.width);
    out.u16le(page.lines);
    out.u8(page.group4 ? 1 : 0);
    out.u8(0);
    out.text(page.caption.substr(0, 79), kTermAField - 9);
    out.putU32le(header + kTermAField, std::uint32_t(header));
    out.putU32le(header + kTermBField, std::uint32_t(kHeaderSize));
    out.putU8(header + kFactorsField, page.paddingUnits);
    out.putU8(header + kFactorsField + 1, kPaddingUnit);
    out.putU8(header + 115, page.resolutionCode);
    out.putU32le(header + kDataLengthField, std::uint32_t(page.data.size()));
    out.padTo(header + kHeaderSize);
    out.append(page.data);
    out.padTo(out.size() + std::size_t(page.paddingUnits) * kPaddingUnit);
  }
  return out.bytes();
}

} // namespace page_records
