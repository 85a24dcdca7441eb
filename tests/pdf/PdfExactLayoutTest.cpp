// The PDF is specified to the byte: a two-page Group 4 fax, converted as the
// first document of a fresh thread, must give exactly this file.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "pdf/PdfWriter.h"
#include "support/PdfChecks.h"
#include "support/Scratch.h"
#include "support/TiffFixtures.h"

using namespace testing_support;

namespace {

TiffPageSpec FaxPage(unsigned seed) {
  TiffPageSpec page;
  page.raster = TextLikePage(1728, 2200, seed);
  page.software = "Kelvor Studio";
  page.dateTime = "2009:05:20 12:51:27";
  return page;
}

std::string AsText(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

int ConvertInFreshThread(const std::string& input, const std::string& output) {
  int result = -1;
  std::thread worker([&] { result = ConvertTiffToPdf(input, output, 0, PdfDocInfo{}); });
  worker.join();
  return result;
}

// The objects of one page whose page object is number p and image is /Im<n>.
std::string PageObjects(int p, int n, const std::string& image) {
  const std::string P = std::to_string(p), N = std::to_string(n);
  return P +
         " 0 obj\r<<\r/Type /Page \r/Parent 3 0 R \r/MediaBox [0.0000 0.0000 609.8823 "
         "808.1633] \r/Contents " +
         std::to_string(p + 1) + " 0 R \r/Resources << \r/XObject <<\r/Im" + N + " " +
         std::to_string(p + 3) + " 0 R >>\r/ProcSet [ /ImageB ]\r>>\r>>\rendobj\r" +
         std::to_string(p + 1) + " 0 obj\r<< \r/Length " + std::to_string(p + 2) +
         " 0 R \r >>\rstream\r\nq  609.8823 0.0000 0.0000 808.1633 0.0000 0.0000 cm /Im" + N +
         " Do Q\r\rendstream\rendobj\r" + std::to_string(p + 2) + " 0 obj\r62\rendobj\r" +
         std::to_string(p + 3) + " 0 obj\r<< \r/Length " + std::to_string(p + 4) +
         " 0 R \r/Type /XObject \r/Subtype /Image \r/Name /Im" + N +
         "\r/Width 1728\r/Height 2200\r/BitsPerComponent 1\r/ColorSpace /DeviceGray \r/Filter "
         "/CCITTFaxDecode /DecodeParms << /K -1 /Columns 1728 /Rows 2200>>\r >>\rstream\r\n" +
         image + "\rendstream\rendobj\r" + std::to_string(p + 4) + " 0 obj\r" +
         std::to_string(image.size()) + "\rendobj\r";
}

TEST(PdfExactLayout, TwoPageFaxIsWrittenByteForByte) {
  ScratchFolder scratch;
  const std::string tiff = scratch / "fax.tif", pdf = scratch / "fax.pdf";
  WriteTiffFile(tiff, {FaxPage(1), FaxPage(2)});
  const std::string image1 = AsText(ReadRawStrips(tiff, 0).at(0));
  const std::string image2 = AsText(ReadRawStrips(tiff, 1).at(0));

  ASSERT_EQ(ConvertInFreshThread(tiff, pdf), 0);
  const std::string actual = ReadFile(pdf);

  std::string expected = "%PDF-1.1 \r%\xE2\xE3\xCF\xD3\r\n";
  expected += "1 0 obj\r<< \r/Type /Catalog \r/Pages 3 0 R \r>>\rendobj\r";
  expected += "2 0 obj\r<< \r/CreationDate (D:20090520125127)\r/ModDate (D:20090520125127)\r"
              "/Producer (Kelvor Studio - 20050315 / d)\r/Creator (Kelvor Studio)\r>> \rendobj\r";
  expected += "3 0 obj\r<< \r/Type /Pages \r/Kids [ 4 0 R 9 0 R ] \r/Count 2 \r>> \rendobj\r";
  expected += PageObjects(4, 1, image1);
  expected += PageObjects(9, 2, image2);
  const std::size_t xref = expected.size();
  expected += "xref\r0 14 \r0000000000 65535 f\r\n";
  // Each entry must point at the first byte of "<n> 0 obj" in the file.
  for (int object = 1; object <= 13; ++object) {
    const std::string opening = std::to_string(object) + " 0 obj\r";
    const std::size_t at = actual.find("\r" + opening) + 1;
    const std::size_t position = object == 1 ? actual.find(opening) : at;
    std::string offset = std::to_string(position);
    expected += std::string(10 - offset.size(), '0') + offset + " 00000 n\r\n";
  }
  expected += "trailer\r<<\r/Size 14\r/Root 1 0 R \r/Info 2 0 R \r"
              "/ID[<2900000023480000BE18000084670000><2900000023480000BE18000084670000>]\r>>\r"
              "startxref\r" +
              std::to_string(xref) + "\r%%EOF\r";
  ASSERT_EQ(actual.size(), expected.size());
  EXPECT_TRUE(actual == expected)
      << "first difference at byte "
      << std::mismatch(actual.begin(), actual.end(), expected.begin()).first - actual.begin();
  EXPECT_EQ(actual.find("1 0 obj\r"), 17u);
  EXPECT_TRUE(QpdfCheck(pdf).ok);
}

TEST(PdfExactLayout, FileIdentifierFollowsThePerThreadSequence) {
  ScratchFolder scratch;
  const std::string tiff = scratch / "fax.tif";
  TiffPageSpec page;
  page.raster = TextLikePage(64, 32);
  WriteTiffFile(tiff, {page});
  std::string first, second, fresh;
  std::thread worker([&] {
    ConvertTiffToPdf(tiff, scratch / "1.pdf", 0, PdfDocInfo{});
    ConvertTiffToPdf(tiff, scratch / "2.pdf", 0, PdfDocInfo{});
  });
  worker.join();
  ASSERT_EQ(ConvertInFreshThread(tiff, scratch / "3.pdf"), 0);
  EXPECT_NE(ReadFile(scratch / "1.pdf").find("/ID[<2900000023480000BE18000084670000>"),
            std::string::npos);
  EXPECT_NE(ReadFile(scratch / "2.pdf").find("/ID[<E14A00006C3D0000D62C0000AE720000>"),
            std::string::npos);
  EXPECT_NE(ReadFile(scratch / "3.pdf").find("/ID[<2900000023480000BE18000084670000>"),
            std::string::npos);
}

} // namespace
