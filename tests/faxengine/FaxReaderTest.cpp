#include "faxengine/FaxReader.h"

#include "support/Scratch.h"

#include <filesystem>
#include <gtest/gtest.h>

using testing_support::ScratchFolder;

TEST(FaxReader, OpensWholeFilesAndRefusesWhatItCannotHold) {
  ScratchFolder folder;
  FaxReader reader;
  reader.Open(folder / "absent");
  EXPECT_FALSE(reader.IsOpen());

  testing_support::WriteFile(folder / "small", std::string("abc"));
  reader.Open(folder / "small");
  ASSERT_TRUE(reader.IsOpen());
  EXPECT_EQ(reader.FileSize(), 3u);
  EXPECT_EQ(reader.Bytes()[2], 'c');

  // A sparse file just above the limit is refused without being read.
  std::filesystem::resize_file(folder / "small", FaxReader::kMaxFileBytes + 1);
  reader.Open(folder / "small");
  EXPECT_FALSE(reader.IsOpen());
  EXPECT_EQ(reader.FileSize(), 0u);

  reader.Open(folder.path());
  EXPECT_FALSE(reader.IsOpen()) << "a folder is no document";
}

TEST(FaxReader, PageTableHoldsAsManyPagesAsAPageNumberCanCount) {
  FaxReader reader;
  for (std::uint32_t i = 0; i < FaxReader::kMaxPages; ++i)
    ASSERT_EQ(reader.AddPageOffset(1000 + i), 0);
  EXPECT_EQ(reader.AddPageOffset(7), -1);
  EXPECT_EQ(reader.PageCount(), 65535);
  EXPECT_EQ(reader.PageOffset(0), 1000u);
  EXPECT_EQ(reader.PageOffset(65534), 1000u + 65534);
  EXPECT_EQ(reader.PageOffset(65535), 0u) << "beyond the count";
  reader.ClearPageOffsets();
  EXPECT_EQ(reader.PageCount(), 0);
}
