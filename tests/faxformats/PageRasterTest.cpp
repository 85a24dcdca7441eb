#include "faxformats/PageRaster.h"

#include <gtest/gtest.h>

TEST(PageRaster, WidthGivesResolutionAndSizeClass) {
  struct Case {
    std::uint32_t width;
    std::uint16_t xResolution;
    std::uint8_t sizeClass;
  };
  for (Case c : {Case{1728, 200, 1}, Case{1000, 200, 1}, Case{2048, 200, 2}, Case{2432, 200, 3},
                 Case{2592, 300, 1}, Case{3072, 300, 2}, Case{3456, 400, 1}, Case{3500, 300, 3},
                 Case{3648, 300, 3}, Case{4096, 400, 2}, Case{4864, 400, 3}, Case{5000, 400, 3}}) {
    WidthClass result = ClassifyWidth(c.width);
    EXPECT_EQ(result.xResolution, c.xResolution) << c.width;
    EXPECT_EQ(result.sizeClass, c.sizeClass) << c.width;
  }
}

TEST(PageRaster, StoredFormIs37LittleEndianBytesAndReadsBack) {
  PageRaster raster;
  raster.width = 1728;
  raster.height = 0x01020304;
  raster.bytesPerRow = 216;
  raster.dataSize = 0xA0B0C0D0;
  raster.xResolution = 200;
  raster.yResolution = 196;
  raster.bitOrder = 2;
  raster.codingCode = 6;
  raster.sizeClass = 1;
  auto bytes = raster.Stored();
  EXPECT_EQ(bytes.size(), 37u);
  EXPECT_EQ(bytes[4], 0xC0); // 1728 = 0x06C0
  EXPECT_EQ(bytes[5], 0x06);
  EXPECT_EQ(bytes[8], 0x04);
  EXPECT_EQ(bytes[16], 1);   // samples per pixel
  EXPECT_EQ(bytes[24], 200); // x resolution
  EXPECT_EQ(bytes[28], 2);   // resolution unit
  EXPECT_EQ(bytes[29], 2);   // bit order
  EXPECT_EQ(bytes[30], 6);   // coding code
  PageRaster back = PageRaster::FromStored(bytes);
  EXPECT_EQ(back.Stored(), bytes);
}

TEST(PageRaster, RefusesRastersBeyondItsLimits) {
  PageRaster raster;
  EXPECT_TRUE(raster.Allocate(1728, 100));
  EXPECT_EQ(raster.bytesPerRow, 216u);
  EXPECT_EQ(raster.MaxRows(), 100u);
  EXPECT_FALSE(raster.Allocate(0, 10));
  EXPECT_FALSE(raster.Allocate(kMaxFaxWidth + 1, 1));
  EXPECT_FALSE(raster.Allocate(60000, 1000000));
  EXPECT_TRUE(raster.rows.empty());
}
