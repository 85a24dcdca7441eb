#include "samples/writers/KvrFaxFile.h"

#include "samples/writers/ByteWriter.h"

namespace kvr_fax {

std::vector<std::uint8_t> File(const std::vector<Page>& pages) {
  ByteWriter out;
  for (const Page& page : pages) {
    const std::size_t header = out.size();
    out.text("KVR-FAX", 8);
    out.u32le(std::uint32_t(header + kHeaderSize));
    out.u32le(std::uint32_t(page.data.size()));
    out.u32le(page.width);
    out.u32le(page.height);
    out.u16le(0);
    out.u8(page.fillOrder);
    out.u8(page.codingCode);
    out.u8(page.xResolution);
    out.u8(page.yResolution);
    out.padTo(header + kHeaderSize);
    out.append(page.data);
  }
  return out.bytes();
}

} // namespace kvr_fax
