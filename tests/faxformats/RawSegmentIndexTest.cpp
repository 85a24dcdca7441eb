// The segment index of a decoded raw stream: cutting segments into pages,
// the resolution a longest segment implies, and segment files that claim
// more than they hold.
#include "faxformats/SegmentIndex.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

using testing_support::ScratchFolder;

namespace {

// Writes a segment file with one record per line count.
void WriteIndex(const std::string& path, const std::vector<std::uint32_t>& lines,
                std::uint32_t claimedRecords = 0, bool endsPages = false) {
  SegmentHeader header;
  header.recordCount = claimedRecords ? claimedRecords : std::uint32_t(lines.size());
  for (std::uint32_t count : lines)
    header.longestSegment = std::max(header.longestSegment, count);
  auto bytes = EncodeSegmentHeader(header);
  std::vector<std::uint8_t> file(bytes.begin(), bytes.end());
  std::uint32_t position = 0;
  for (std::uint32_t count : lines) {
    auto record = EncodeSegmentRecord({position, position + count, count, 0, 8, endsPages});
    file.insert(file.end(), record.begin(), record.end());
    position += count + 1;
  }
  testing_support::WriteFile(path, file);
}

struct Cut {
  std::vector<std::uint32_t> lines;
  std::vector<std::uint64_t> firstRows;
  bool allKept = false;
  std::array<std::uint32_t, 4> pageTable{};
};

Cut CutFile(const std::string& path, std::uint32_t linesPerPage, LongSegments mode,
            std::size_t maxPages = 65535) {
  SegmentIndexReader index;
  EXPECT_TRUE(index.Open(path, SegmentIndexReader::Access::Update));
  Cut cut;
  for (const SegmentPage& page : CutIntoPages(index, linesPerPage, maxPages, mode, cut.allKept)) {
    cut.lines.push_back(page.lines);
    cut.firstRows.push_back(page.firstRow);
  }
  SegmentIndexReader reread;
  EXPECT_TRUE(reread.Open(path, SegmentIndexReader::Access::Read));
  std::copy_n(reread.header().pageTable.begin(), 4, cut.pageTable.begin());
  return cut;
}

} // namespace

TEST(CutIntoPages, WholeSegmentsFillPagesUpToTheLimit) {
  ScratchFolder scratch;
  WriteIndex(scratch / "index", {1000, 1000, 1500});
  Cut cut = CutFile(scratch / "index", 2288, LongSegments::OwnPage);
  EXPECT_EQ(cut.lines, (std::vector<std::uint32_t>{2000, 1500}));
  EXPECT_EQ(cut.firstRows, (std::vector<std::uint64_t>{0, 2000}));
  EXPECT_TRUE(cut.allKept);
  EXPECT_EQ(cut.pageTable, (std::array<std::uint32_t, 4>{2, 1, 0, 0})) << "page table rewritten";
}

TEST(CutIntoPages, ASegmentThatEndsAPageClosesItWhateverTheLimit) {
  ScratchFolder scratch;
  WriteIndex(scratch / "index", {1000, 1000, 1500}, 0, true);
  for (LongSegments mode : {LongSegments::OwnPage, LongSegments::Split})
    EXPECT_EQ(CutFile(scratch / "index", 4576, mode).lines,
              (std::vector<std::uint32_t>{1000, 1000, 1500}));
}

TEST(CutIntoPages, ASegmentLongerThanAPageGetsAPageOfItsOwnOrIsSplit) {
  ScratchFolder scratch;
  WriteIndex(scratch / "index", {100, 3000, 200});
  EXPECT_EQ(CutFile(scratch / "index", 1144, LongSegments::OwnPage).lines,
            (std::vector<std::uint32_t>{100, 3000, 200}));
  Cut split = CutFile(scratch / "index", 1144, LongSegments::Split);
  EXPECT_EQ(split.lines, (std::vector<std::uint32_t>{100, 1144, 1144, 912}));
  EXPECT_EQ(split.firstRows, (std::vector<std::uint64_t>{0, 100, 1244, 2388}));
}

TEST(CutIntoPages, SaysWhenLinesFindNoPage) {
  ScratchFolder scratch;
  WriteIndex(scratch / "index", std::vector<std::uint32_t>(1030, 600));
  Cut all = CutFile(scratch / "index", 1144, LongSegments::OwnPage);
  EXPECT_EQ(all.lines.size(), 1030u);
  EXPECT_TRUE(all.allKept);
  Cut capped = CutFile(scratch / "index", 1144, LongSegments::OwnPage, 1024);
  EXPECT_EQ(capped.lines.size(), 1024u);
  EXPECT_FALSE(capped.allKept);
}

TEST(SegmentIndexReader, TrustsTheRecordCountOnlyAsFarAsTheFileHoldsRecords) {
  ScratchFolder scratch;
  WriteIndex(scratch / "index", {10, 20, 30}, 0xFFFFFFFF);
  SegmentIndexReader index;
  ASSERT_TRUE(index.Open(scratch / "index", SegmentIndexReader::Access::Read));
  EXPECT_EQ(index.recordCount(), 3u);
  EXPECT_FALSE(index.Record(3).has_value());
  testing_support::WriteFile(scratch / "short", std::string(100, '\0'));
  EXPECT_FALSE(index.Open(scratch / "short", SegmentIndexReader::Access::Read));
}

TEST(EstimateVerticalResolution, FollowsTheLongestSegmentPerPaperSize) {
  struct Case {
    std::uint32_t longest;
    std::uint8_t sizeClass;
    std::uint16_t expected;
  };
  for (Case c : {Case{1144, 1, 100}, Case{1145, 1, 200}, Case{3000, 1, 300}, Case{3433, 1, 400},
                 Case{1363, 2, 100}, Case{2727, 2, 300}, Case{4851, 3, 300}, Case{4852, 3, 400},
                 Case{9000, 0, 123}}) {
    EXPECT_EQ(EstimateVerticalResolution(c.longest, c.sizeClass, 123), c.expected)
        << c.longest << " lines, class " << int(c.sizeClass);
  }
  EXPECT_EQ(LinesPerPage(1, 200), 2288u);
  EXPECT_EQ(LinesPerPage(2, 300), 4089u);
  EXPECT_EQ(LinesPerPage(3, 400), 6468u);
  EXPECT_EQ(LinesPerPage(7, 400), 1144u);
}
