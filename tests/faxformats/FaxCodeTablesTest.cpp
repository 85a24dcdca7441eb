// Every code of T.4 Tables 1 to 4, encoded and decoded back, in both colours
// and both bit orders.
#include "faxformats/FaxCodeTables.h"

#include "DecodeHelpers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::vector<T4Code> Concat(std::initializer_list<T4Table> tables) {
  std::vector<T4Code> all;
  for (T4Table table : tables)
    for (const T4Code& code : T4Rows(table))
      all.push_back(code);
  return all;
}

const T4Code kEol{0, 12, 1};

// Decodes one run from a stream, in the given bit order; the reader must
// stop exactly behind the stream's codes.
void ExpectRun(const BitWriter& stream, bool black, int expectedRun, std::uint8_t bitOrder) {
  std::vector<std::uint8_t> bytes = stream.Bytes();
  if (bitOrder == kLsbFirst)
    bytes = testing_support::ReverseBits(bytes);
  FaxDecoder decoder;
  decoder.Initialise(bytes.data(), std::uint32_t(bytes.size()), bitOrder, 5, 0);
  EXPECT_EQ(decoder.DecodeRun(black), expectedRun);
  EXPECT_EQ(std::size_t(decoder.BitPosition()), stream.BitCount());
}

} // namespace

TEST(FaxCodeTables, TablesHoldEveryRowOfTheStandard) {
  EXPECT_EQ(T4Rows(T4Table::WhiteTerminating).size(), 64u);
  EXPECT_EQ(T4Rows(T4Table::BlackTerminating).size(), 64u);
  EXPECT_EQ(T4Rows(T4Table::WhiteMakeUp).size(), 27u);
  EXPECT_EQ(T4Rows(T4Table::BlackMakeUp).size(), 27u);
  EXPECT_EQ(T4Rows(T4Table::ExtendedMakeUp).size(), 13u);
  EXPECT_EQ(T4Rows(T4Table::Modes).size(), 9u);
  for (T4Table table : {T4Table::WhiteTerminating, T4Table::BlackTerminating}) {
    auto rows = T4Rows(table);
    for (std::size_t i = 0; i < rows.size(); ++i)
      EXPECT_EQ(rows[i].run, i);
  }
  for (T4Table table : {T4Table::WhiteMakeUp, T4Table::BlackMakeUp}) {
    auto rows = T4Rows(table);
    for (std::size_t i = 0; i < rows.size(); ++i)
      EXPECT_EQ(rows[i].run, 64 * (i + 1));
  }
  // Every code word fits its stated length.
  for (const T4Code& code :
       Concat({T4Table::WhiteTerminating, T4Table::BlackTerminating, T4Table::WhiteMakeUp,
               T4Table::BlackMakeUp, T4Table::ExtendedMakeUp, T4Table::Modes}))
    EXPECT_LT(code.code, 1u << code.bits) << code.run;
}

TEST(FaxCodeTables, EachColourAndTheModesArePrefixFree) {
  auto white = Concat({T4Table::WhiteTerminating, T4Table::WhiteMakeUp, T4Table::ExtendedMakeUp});
  auto black = Concat({T4Table::BlackTerminating, T4Table::BlackMakeUp, T4Table::ExtendedMakeUp});
  white.push_back(kEol);
  black.push_back(kEol);
  EXPECT_TRUE(CodesArePrefixFree(white));
  EXPECT_TRUE(CodesArePrefixFree(black));
  EXPECT_TRUE(CodesArePrefixFree(T4Rows(T4Table::Modes)));
  EXPECT_TRUE(LookupTablesAreConsistent());
  // The check itself catches a prefix.
  std::vector<T4Code> clash = {{1, 3, 0b010}, {2, 5, 0b01011}};
  EXPECT_FALSE(CodesArePrefixFree(clash));
}

TEST(FaxCodeTables, EveryTerminatingCodeDecodesToItsRun) {
  for (bool black : {false, true}) {
    for (const T4Code& code :
         T4Rows(black ? T4Table::BlackTerminating : T4Table::WhiteTerminating)) {
      SCOPED_TRACE(std::string(black ? "black " : "white ") + std::to_string(code.run));
      BitWriter stream;
      stream.Put(code.code, code.bits);
      ExpectRun(stream, black, code.run, kMsbFirst);
      ExpectRun(stream, black, code.run, kLsbFirst);
    }
  }
}

TEST(FaxCodeTables, EveryMakeUpCodeAddsToTheTerminatingRun) {
  for (bool black : {false, true}) {
    auto terminating = T4Rows(black ? T4Table::BlackTerminating : T4Table::WhiteTerminating);
    for (T4Table table :
         {black ? T4Table::BlackMakeUp : T4Table::WhiteMakeUp, T4Table::ExtendedMakeUp}) {
      for (const T4Code& code : T4Rows(table)) {
        SCOPED_TRACE(std::string(black ? "black " : "white ") + std::to_string(code.run));
        const T4Code& tail = terminating[code.run % 64];
        BitWriter stream;
        stream.Put(code.code, code.bits);
        stream.Put(tail.code, tail.bits);
        ExpectRun(stream, black, code.run + tail.run, kMsbFirst);
        ExpectRun(stream, black, code.run + tail.run, kLsbFirst);
      }
    }
  }
}

TEST(FaxCodeTables, LongRunsChainMakeUpCodes) {
  // 2560 + 2560 + 1728 + 63 = 6911 pixels, in both colours.
  for (bool black : {false, true}) {
    auto extended = T4Rows(T4Table::ExtendedMakeUp);
    const T4Code& makeUp = T4Rows(black ? T4Table::BlackMakeUp : T4Table::WhiteMakeUp)[26];
    const T4Code& tail = T4Rows(black ? T4Table::BlackTerminating : T4Table::WhiteTerminating)[63];
    BitWriter stream;
    stream.Put(extended[12].code, extended[12].bits);
    stream.Put(extended[12].code, extended[12].bits);
    stream.Put(makeUp.code, makeUp.bits);
    stream.Put(tail.code, tail.bits);
    ExpectRun(stream, black, 6911, kMsbFirst);
  }
}

TEST(FaxCodeTables, EveryModeCodeIsFoundInTheModeLookup) {
  for (const T4Code& code : T4Rows(T4Table::Modes)) {
    for (std::uint32_t rest = 0; rest < (1u << (kModeLookupBits - code.bits)); ++rest) {
      ModeEntry entry =
          ModeLookup()[(std::uint32_t(code.code) << (kModeLookupBits - code.bits)) | rest];
      EXPECT_EQ(entry.mode, T4Mode(code.run));
      EXPECT_EQ(entry.bits, code.bits);
    }
  }
  EXPECT_EQ(ModeLookup()[0b0000001].mode, T4Mode::Invalid); // extensions
  EXPECT_EQ(ModeLookup()[0].mode, T4Mode::Zeros);
}

TEST(FaxCodeTables, EolFormsEndARunAndNearMissesAreInvalid) {
  struct Case {
    int zeros;
    int expected;
  };
  for (Case c : {Case{11, kLineUnexpectedEol}, Case{12, kLineUnexpectedEol},
                 Case{30, kLineUnexpectedEol}, Case{10, kLineInvalidCode}}) {
    for (bool black : {false, true}) {
      SCOPED_TRACE(c.zeros);
      BitWriter stream;
      stream.Put(0, c.zeros);
      stream.PutBit(1);
      stream.Put(0b0111, 4); // something after it
      FaxDecoder decoder;
      decoder.Initialise(stream.Bytes().data(), std::uint32_t(stream.Bytes().size()), kMsbFirst, 5,
                         0);
      EXPECT_EQ(decoder.DecodeRun(black), c.expected);
      if (c.expected == kLineUnexpectedEol) {
        EXPECT_EQ(decoder.BitPosition(), c.zeros + 1);
      }
    }
  }
}
