#include "faxformats/FaxBitReader.h"

#include "DecodeHelpers.h"

#include <gtest/gtest.h>

TEST(FaxBitReader, ReadsBitsAcrossByteBoundariesInBothBitOrders) {
  const std::uint8_t msb[] = {0b10110011, 0b01011100};
  const std::uint8_t lsb[] = {0b11001101, 0b00111010}; // the same bits, reversed per byte
  for (auto [data, order] : {std::pair{msb, kMsbFirst}, std::pair{lsb, kLsbFirst}}) {
    FaxBitReader reader;
    reader.Initialise(data, 2, order);
    EXPECT_EQ(reader.Current(), 0b10110011);
    EXPECT_EQ(reader.ReadBits(3), 0b101);
    EXPECT_EQ(reader.ReadBits(7), 0b1001101);
    EXPECT_EQ(reader.Position(), 1);
    EXPECT_EQ(reader.BitOffset(), 2);
    reader.UnreadBits(4);
    EXPECT_EQ(reader.BitPosition(), 6);
    EXPECT_EQ(reader.ReadBits(8), 0b11010111);
    EXPECT_EQ(reader.ReadBits(2), 0b00);
    EXPECT_EQ(reader.ReadBits(1), kBitsAtEnd);
  }
}

TEST(FaxBitReader, AlignsToBytesAndWordsAndReadsLittleEndianWords) {
  const std::uint8_t data[] = {0xFF, 0x34, 0x12, 0x78, 0x56, 0x01};
  FaxBitReader reader;
  reader.Initialise(data, sizeof data, kMsbFirst);
  reader.ReadBits(1);
  reader.Align(false);
  EXPECT_EQ(reader.Position(), 1);
  EXPECT_EQ(reader.ReadWord(), 0x1234);
  reader.Align(true); // byte 3 is odd: on to byte 4
  EXPECT_EQ(reader.Position(), 4);
  EXPECT_EQ(reader.ReadWord(), 0x0156);
  EXPECT_EQ(reader.ReadWord(), kBitsAtEnd);
  reader.Initialise(data, sizeof data, kMsbFirst);
  reader.ReadBits(3);
  reader.Align(true); // byte 0 partly read: to byte 1, which is odd: to byte 2
  EXPECT_EQ(reader.Position(), 2);
}

TEST(FaxBitReader, ReportsMissingDataAndPositionsOutsideIt) {
  FaxBitReader reader;
  reader.Initialise(nullptr, 10, kMsbFirst);
  EXPECT_EQ(reader.Fetch(false), kBitsNoData);
  EXPECT_EQ(reader.ReadBits(3), kBitsNoData);
  EXPECT_EQ(reader.FindEol(0), kBitsNoData);
  const std::uint8_t data[] = {0x80};
  reader.Initialise(data, 1, kMsbFirst);
  EXPECT_EQ(reader.Fetch(true), kBitsAtEnd);
}

TEST(FaxBitReader, FindsAnEolAfterAnyNumberOfFillZeros) {
  for (int zeros : {11, 12, 30, 45}) {
    SCOPED_TRACE(zeros);
    BitWriter stream;
    stream.Put(0b101, 3);
    stream.Put(0, zeros);
    stream.PutBit(1);
    stream.Put(0b1011, 4);
    FaxBitReader reader;
    reader.Initialise(stream.Bytes().data(), std::uint32_t(stream.Bytes().size()), kMsbFirst);
    ASSERT_EQ(reader.FindEol(0), 0);
    EXPECT_EQ(reader.BitPosition(), 3 + zeros + 1);
    EXPECT_EQ(reader.ReadBits(4), 0b1011);
  }
}

TEST(FaxBitReader, TenZerosAndAOneAreNoEol) {
  BitWriter stream;
  stream.Put(0b1, 1);
  stream.Put(0, 10);
  stream.PutBit(1);
  stream.Put(0b1111111, 7);
  FaxBitReader reader;
  reader.Initialise(stream.Bytes().data(), std::uint32_t(stream.Bytes().size()), kMsbFirst);
  EXPECT_EQ(reader.FindEol(0), kBitsAtEnd);
}

TEST(FaxBitReader, EolSearchModesStartFromTheBeginningHereOrTheRememberedPlace) {
  BitWriter stream;
  stream.Eol();        // bits 0..11
  stream.Put(0xFF, 8); // bits 12..19
  stream.AlignToByte();
  stream.Put(0xFF, 8); // byte 3
  stream.Eol();        // bits 32..43
  stream.Put(0xFF, 8);
  FaxBitReader reader;
  reader.Initialise(stream.Bytes().data(), std::uint32_t(stream.Bytes().size()), kMsbFirst);
  reader.SeekBit(24);
  ASSERT_EQ(reader.FindEol(2), 0); // from byte 3, remembered
  EXPECT_EQ(reader.BitPosition(), 44);
  ASSERT_EQ(reader.FindEol(0), 0);
  EXPECT_EQ(reader.BitPosition(), 12);
  ASSERT_EQ(reader.FindEol(1), 0); // from the remembered byte 3 again
  EXPECT_EQ(reader.BitPosition(), 44);
}
