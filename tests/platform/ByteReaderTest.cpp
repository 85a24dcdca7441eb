#include "faxformats/ByteReader.h"

#include <gtest/gtest.h>
#include <vector>

TEST(ByteReader, ReadsBothByteOrdersAndRefusesToReadPastTheEnd) {
  std::vector<std::uint8_t> bytes = {0x12, 0x34, 0x56, 0x78, 0x9A};
  ByteReader reader(bytes);
  EXPECT_EQ(reader.u16le(), 0x3412);
  EXPECT_EQ(reader.u16be(), 0x5678);
  EXPECT_FALSE(reader.u16le().has_value());
  EXPECT_EQ(reader.position(), 4u) << "a failed read leaves the cursor in place";
  EXPECT_EQ(reader.u8(), 0x9A);
  EXPECT_FALSE(reader.u8().has_value());
  EXPECT_EQ(reader.u32At(0), 0x78563412u);
  reader.setOrder(ByteOrder::BigEndian);
  EXPECT_EQ(reader.u32At(1), 0x3456789Au);
  EXPECT_FALSE(reader.u32At(2).has_value());
}

TEST(ByteReader, SlicesAreCheckedWithoutOverflow) {
  std::vector<std::uint8_t> bytes(16);
  ByteReader reader(bytes);
  EXPECT_TRUE(reader.slice(16, 0).has_value());
  EXPECT_FALSE(reader.slice(17, 0).has_value());
  EXPECT_FALSE(reader.slice(8, SIZE_MAX).has_value()) << "offset + length wraps around";
  EXPECT_FALSE(reader.slice(SIZE_MAX, 2).has_value());
  EXPECT_FALSE(reader.seek(17));
  EXPECT_TRUE(reader.seek(10));
  EXPECT_FALSE(reader.take(7).has_value());
  EXPECT_EQ(reader.take(6)->size(), 6u);
  EXPECT_EQ(reader.remaining(), 0u);
}
