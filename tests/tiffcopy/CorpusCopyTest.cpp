// Every TIFF of the shared corpus copied keeping its compression and into
// Group 4: what the TIFF library decodes from the source, it decodes from
// the copy, pixel for pixel.
#include "CopyTestHelpers.h"

#include "support/Scratch.h"

#include <filesystem>

namespace copytest {
namespace {

std::vector<std::string> CorpusTiffs() {
  std::vector<std::string> paths;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(CorpusFolder())) {
    const std::string extension = entry.path().extension().string();
    if (entry.is_regular_file() && (extension == ".tif" || extension == ".tiff"))
      paths.push_back(entry.path().string());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

struct SourceFacts {
  int directories = 0;
  bool bilevel = true;
};

SourceFacts Inspect(const std::string& path) {
  SourceFacts facts;
  facts.directories = CountDirectories(path);
  for (int directory = 0; directory < facts.directories; ++directory) {
    OpenTiff file(path, directory);
    if (file.u16(TIFFTAG_BITSPERSAMPLE) != 1 || file.u16(TIFFTAG_SAMPLESPERPIXEL) != 1)
      facts.bilevel = false;
  }
  return facts;
}

// Decoded pixels of every directory, or nothing when the library cannot
// decode the source cleanly (damaged corpus files).
template <typename Read> auto DecodedOrNothing(Read read) -> std::optional<decltype(read())> {
  try {
    return read();
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

TEST(CorpusCopy, EveryCorpusTiffCopiesToTheSamePixels) {
  REQUIRE_CORPUS();
  ScratchFolder scratch;
  const std::vector<std::string> paths = CorpusTiffs();
  ASSERT_FALSE(paths.empty());
  int compared = 0;
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    const SourceFacts facts = Inspect(path);
    for (int selector : {-1, 6}) {
      SCOPED_TRACE(selector);
      const std::string out = scratch / "out.tif";
      const int result = CopyTiffImages(path, out, WithSelector(selector));
      if (!facts.bilevel && selector == 6) {
        EXPECT_EQ(result, 1); // the Group 4 encoder takes one bit per sample only
        continue;
      }
      ASSERT_EQ(result, 0);
      ASSERT_EQ(CountDirectories(out), facts.directories);
      if (facts.bilevel) {
        const auto expected = DecodedOrNothing([&] { return ReadTiffPages(path); });
        const std::vector<Raster> copied = ReadTiffPages(out); // always decodes cleanly
        if (expected) {
          EXPECT_EQ(copied, *expected);
          ++compared;
        }
        continue;
      }
      for (int directory = 0; directory < facts.directories; ++directory)
        EXPECT_EQ(ReadDecodedSamples(out, directory).bytes,
                  ReadDecodedSamples(path, directory).bytes);
      ++compared;
    }
  }
  // Most of the corpus decodes cleanly; the comparison must have happened.
  EXPECT_GT(compared, static_cast<int>(paths.size()));
}

} // namespace
} // namespace copytest
