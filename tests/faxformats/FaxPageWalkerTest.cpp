#include "faxformats/FaxPageWalker.h"

#include "DecodeHelpers.h"
#include "support/TiffFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing_support::EncodeWithLibTiff;
using testing_support::Raster;

struct SeenLine {
  int result;
  std::uint64_t start, end;
  std::vector<std::uint32_t> ends, referenceEnds;
};

// Records every line the walker hands over and the lines it skips.
struct Record {
  explicit Record(int lineWidth) : width(lineWidth) {}
  RowWriter& StartLine() {
    row.Restart(nullptr);
    return row;
  }
  void Add(const CodedLine& line) {
    auto ends = [](const RunList& runs) {
      return std::vector<std::uint32_t>(runs.Ends(), runs.Ends() + runs.Count());
    };
    lines.push_back({line.result, line.start, line.end, ends(line.runs), ends(line.reference)});
  }
  int width;
  RowWriter row;
  std::vector<SeenLine> lines;
  int skipped = 0;
};

// Follows good lines, resynchronises after an invalid code, stops otherwise.
class T4Recorder : public T4LineSink, public Record {
public:
  using Record::Record;
  RowWriter& StartLine() override { return Record::StartLine(); }
  NextLine OnLine(const CodedLine& line) override {
    Add(line);
    if (line.result == width)
      return NextLine::Follow;
    return line.result == kLineInvalidCode ? NextLine::ResyncAtNextEol : NextLine::Stop;
  }
  void OnSkippedLine(std::uint64_t) override { ++skipped; }
};

class G4Recorder : public G4LineSink, public Record {
public:
  using Record::Record;
  RowWriter& StartLine() override { return Record::StartLine(); }
  G4Step OnLine(const CodedLine& line) override {
    Add(line);
    return {line.result == width ? G4Step::Kind::Follow : G4Step::Kind::Stop, line.end};
  }
};

// The page the changing elements of the complete lines describe.
Raster Rebuilt(const std::vector<SeenLine>& lines, std::uint32_t width) {
  Raster page(width, 0);
  for (const SeenLine& line : lines) {
    if (line.result != int(width) && line.result != kLineLastComplete)
      continue;
    ++page.height;
    page.pixels.resize(std::size_t(width) * page.height);
    std::uint32_t x = 0;
    for (std::size_t run = 0; run < line.ends.size(); ++run) {
      for (; x < line.ends[run] && x < width; ++x)
        page.set(x, page.height - 1, run % 2 == 1);
    }
  }
  return page;
}

enum class Coding { OneDimensional, TwoDimensional, Group4, ByteAlignedRows };

struct Walked {
  T4Recorder t4;
  G4Recorder g4;
  const std::vector<SeenLine>& Lines(Coding coding) const {
    return coding == Coding::Group4 ? g4.lines : t4.lines;
  }
};

Walked WalkAll(const std::vector<std::uint8_t>& coded, Coding coding, std::int32_t width) {
  FaxDecoder decoder;
  decoder.Initialise(coded.data(), std::uint32_t(coded.size()), kMsbFirst);
  FaxPageWalker walker(decoder, 0, width, std::uint32_t(width));
  Walked walked{T4Recorder(width), G4Recorder(width)};
  if (coding == Coding::Group4) {
    walker.WalkGroup4(walked.g4, PassToLineEnd::Refused);
    return walked;
  }
  if (coding == Coding::ByteAlignedRows) {
    walker.WalkAlignedRows(walked.t4, RowAlignment::Byte);
    return walked;
  }
  EXPECT_TRUE(walker.FindEolFromByte(0));
  if (coding == Coding::OneDimensional)
    walker.WalkOneDimensional(walked.t4);
  else if (walker.SyncToOneDimensional())
    walker.WalkTwoDimensional(walked.t4);
  return walked;
}

TEST(FaxPageWalker, HandsEveryLineAsItsChangingElementsWithContiguousBitPositions) {
  struct Case {
    const char* what;
    Coding coding;
    std::uint16_t compression;
    std::uint32_t options;
  };
  const Case cases[] = {
      {"T.4 1-D", Coding::OneDimensional, COMPRESSION_CCITTFAX3, 0},
      {"T.4 2-D", Coding::TwoDimensional, COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING},
      {"T.6", Coding::Group4, COMPRESSION_CCITTFAX4, 0},
      {"Modified Huffman rows", Coding::ByteAlignedRows, COMPRESSION_CCITTRLE, 0},
  };
  for (const Case& c : cases) {
    for (std::uint32_t width : {153u, 1728u}) {
      SCOPED_TRACE(std::string(c.what) + " width " + std::to_string(width));
      const Raster page = testing_support::TextLikePage(width, 60, 7);
      const auto coded = EncodeWithLibTiff(page, c.compression, c.options);
      const Walked walked = WalkAll(coded, c.coding, std::int32_t(width));
      const std::vector<SeenLine>& lines = walked.Lines(c.coding);
      EXPECT_EQ(Rebuilt(lines, width), page);
      // Each line begins where the one before ended (behind its tag bit in
      // 2-D, at the next byte for rows) and, in 2-D and T.6, is coded
      // against it.
      auto next = [&](std::uint64_t end) {
        if (c.coding == Coding::ByteAlignedRows)
          return (end + 7) / 8 * 8;
        return c.coding == Coding::TwoDimensional ? end + 1 : end;
      };
      for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].start, next(lines[i - 1].end)) << "line " << i;
        if (c.coding == Coding::TwoDimensional || c.coding == Coding::Group4) {
          EXPECT_EQ(lines[i].referenceEnds, lines[i - 1].ends) << "line " << i;
        }
      }
      EXPECT_LE(lines.back().end, coded.size() * 8);
    }
  }
}

// Lines of width 8: white run 8 is 10011; an EOL is 000000000001.
TEST(FaxPageWalker, ResynchronisesBehindTheNextEolAndSkipsToAOneDimensionalLine) {
  const std::uint32_t kWhite8 = 0b10011, kV0 = 1, kExtension = 0b0000001;
  BitWriter oneDimensional;
  oneDimensional.Eol();
  oneDimensional.Put(kWhite8, 5);
  oneDimensional.Eol();
  oneDimensional.Put(kWhite8, 5);
  oneDimensional.Put(0b000000001, 9); // eight zeros: no run code, no EOL
  oneDimensional.Put(kWhite8, 5);     // passed over up to the next EOL
  oneDimensional.Eol();
  oneDimensional.Put(kWhite8, 5);
  oneDimensional.Eol();
  oneDimensional.Eol();
  Walked walked = WalkAll(oneDimensional.Bytes(), Coding::OneDimensional, 8);
  std::vector<int> results;
  for (const SeenLine& line : walked.t4.lines)
    results.push_back(line.result);
  EXPECT_EQ(results, (std::vector<int>{8, kLineInvalidCode, 8, 0}));

  BitWriter twoDimensional;
  auto eol = [&](unsigned tag) {
    twoDimensional.Eol();
    twoDimensional.PutBit(tag);
  };
  eol(1);
  twoDimensional.Put(kWhite8, 5);
  eol(0);
  twoDimensional.Put(kExtension, 7); // invalid in a 2-D line
  eol(0);
  twoDimensional.Put(kV0, 1); // a 2-D line after the damage: skipped
  eol(1);
  twoDimensional.Put(kWhite8, 5);
  eol(1);
  eol(1);
  walked = WalkAll(twoDimensional.Bytes(), Coding::TwoDimensional, 8);
  results.clear();
  for (const SeenLine& line : walked.t4.lines)
    results.push_back(line.result);
  EXPECT_EQ(results, (std::vector<int>{8, kLineInvalidCode, 8, 0}));
  EXPECT_EQ(walked.t4.skipped, 1);
}

} // namespace
